package net.olddb;

public class Result {
    public boolean next() {
        return false;
    }

    public String text(int column) {
        return "";
    }
}
