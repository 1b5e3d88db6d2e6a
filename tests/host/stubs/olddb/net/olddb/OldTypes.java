package net.olddb;

public final class OldTypes {
    public static final int VARCHAR2 = 12;
    public static final int NUMBER = 2;

    private OldTypes() {}
}
