package jakarta.servlet.http;

import jakarta.servlet.ServletResponse;

public interface HttpServletResponse extends ServletResponse {
    int SC_OK = 200;

    void setStatus(int status);
}
