package com.example.web;

import java.io.IOException;
import javax.servlet.RequestDispatcher;
import javax.servlet.ServletException;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;

/**
 * Hands a request on to another page, through a
 * {@link RequestDispatcher} of the request (a name the import brings in: a
 * qualified one in a comment stays as written, and is listed to check).
 */
public class Forwarder {
    public void forward(String page, HttpServletRequest request, HttpServletResponse response)
            throws ServletException, IOException {
        RequestDispatcher dispatcher = request.getRequestDispatcher(page);
        dispatcher.forward(request, response);
    }
}
