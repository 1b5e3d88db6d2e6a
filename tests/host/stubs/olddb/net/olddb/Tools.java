package net.olddb;

public final class Tools {
    public static void shutdown() {}

    private Tools() {}
}
