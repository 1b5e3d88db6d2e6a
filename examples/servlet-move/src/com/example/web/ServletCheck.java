package com.example.web;

/** Whether the servlet API is on the class path. */
public class ServletCheck {
    public static boolean present() {
        try {
            Class.forName("javax.servlet.http.HttpServlet");
            return true;
        } catch (ClassNotFoundException e) {
            return false;
        }
    }
}
