package net.olddb;

public class OldError extends Exception {
    public OldError(String message) {
        super(message);
    }
}
