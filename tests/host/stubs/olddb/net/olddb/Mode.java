package net.olddb;

public enum Mode {
    READ_ONLY,
    READ_WRITE
}
