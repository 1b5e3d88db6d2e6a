package org.newdb;

public class Rows {
    public boolean next() {
        return false;
    }

    public String getString(int column) {
        return "";
    }
}
