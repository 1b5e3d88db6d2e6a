package net.olddb;

public interface RowHandler {
    void handle(Result row);
}
