package org.newdb;

public final class Utilities {
    public static void stop() {}

    private Utilities() {}
}
