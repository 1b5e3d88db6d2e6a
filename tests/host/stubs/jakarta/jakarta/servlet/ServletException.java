package jakarta.servlet;

public class ServletException extends Exception {
}
