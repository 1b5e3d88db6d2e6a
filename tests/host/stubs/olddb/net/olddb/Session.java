package net.olddb;

// Stand-in for the old vendor's session API: signatures only.
public class Session implements AutoCloseable {
    public static final int DEFAULT_TIMEOUT = 30;
    public int timeout;

    public static Session open(String url) {
        return new Session();
    }

    public Result run(String query) {
        return new Result();
    }

    public void close() {}
}
