package org.newdb;

public class DbError extends Exception {
    public DbError(String message) {
        super(message);
    }
}
