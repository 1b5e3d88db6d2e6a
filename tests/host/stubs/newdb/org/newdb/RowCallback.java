package org.newdb;

public interface RowCallback {
    void onRow(Rows row);
}
