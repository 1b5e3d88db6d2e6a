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

    /** Whether a request attribute is one that the container sets. */
    public static boolean containerAttribute(String name) {
        return name.startsWith("javax.servlet.");
    }
}
