package org.newdb;

// Stand-in for the new vendor's handle API: signatures only.
public class Handle implements AutoCloseable {
    public static final int TIMEOUT_DEFAULT = 30;
    public int timeoutSeconds;

    public static Handle connect(String url, int timeoutSeconds) {
        return new Handle();
    }

    public Rows execute(String query) {
        return new Rows();
    }

    public void close() {}
}
