package com.example.web;

/** A greeting, with nothing of the servlet API in it. */
public class Greeting {
    private final String word;

    public Greeting(String word) {
        this.word = word;
    }

    public String to(String name) {
        return word + ", " + (name == null ? "world" : name);
    }
}
