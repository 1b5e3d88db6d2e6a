package net.olddb;

import java.util.List;

public class BulkLoader {
    public BulkLoader(Session session) {}

    public int load(String table, List<String[]> rows, int columnType) {
        return rows.size();
    }
}
