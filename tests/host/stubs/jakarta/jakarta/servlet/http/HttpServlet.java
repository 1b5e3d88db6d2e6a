package jakarta.servlet.http;

import java.io.IOException;
import jakarta.servlet.ServletException;

public abstract class HttpServlet {
    protected void doGet(HttpServletRequest request, HttpServletResponse response)
            throws ServletException, IOException {
    }
}
