package org.newdb;

public final class NewTypes {
    public static final int VARCHAR = 12;
    public static final int NUMERIC = 2;

    private NewTypes() {}
}
