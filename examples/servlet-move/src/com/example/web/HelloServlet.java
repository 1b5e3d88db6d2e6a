package com.example.web;

import java.io.IOException;
import javax.servlet.ServletException;
import javax.servlet.http.HttpServlet;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;

/** Greets whoever asks, and says which page included it. */
public class HelloServlet extends HttpServlet {
    private final Greeting greeting = new Greeting("Hello");

    @Override
    protected void doGet(HttpServletRequest request, HttpServletResponse response)
            throws ServletException, IOException {
        Object included = request.getAttribute("javax.servlet.include.request_uri");
        response.setStatus(HttpServletResponse.SC_OK);
        response.getWriter().println(greeting.to(request.getParameter("name")) + " " + included);
    }
}
