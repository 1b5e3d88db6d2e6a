package javax.servlet;

public interface ServletRequest {
    Object getAttribute(String name);

    String getParameter(String name);

    RequestDispatcher getRequestDispatcher(String path);
}
