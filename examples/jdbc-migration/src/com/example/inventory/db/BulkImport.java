package com.example.inventory.db;

import java.util.List;

import net.olddb.BulkLoader;
import net.olddb.OldTypes;
import net.olddb.Session;

/** Loads many items at once with the vendor's bulk loader. */
public class BulkImport {
    private final Database database;

    public BulkImport(Database database) {
        this.database = database;
    }

    public int load(List<String[]> rows) {
        if (rows.isEmpty()) return 0;
        Session session = database.session();
        BulkLoader loader = new BulkLoader(session);
        int loaded = loader.load("items", rows, OldTypes.VARCHAR2);
        session.close();
        return loaded;
    }
}
