package org.newdb;

public enum AccessMode {
    READONLY,
    READWRITE
}
