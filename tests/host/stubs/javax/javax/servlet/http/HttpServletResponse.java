package javax.servlet.http;

import javax.servlet.ServletResponse;

public interface HttpServletResponse extends ServletResponse {
    int SC_OK = 200;

    void setStatus(int status);
}
