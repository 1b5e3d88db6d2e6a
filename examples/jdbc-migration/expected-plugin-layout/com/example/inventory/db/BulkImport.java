package com.example.inventory.db;

import java.util.List;

import org.newdb.BulkWriter;
import org.newdb.NewTypes;
import org.newdb.Handle;

/** Loads many items at once with the vendor's bulk loader. */
public class BulkImport
{
    private final Database database;

    public BulkImport(Database database) {
        this.database = database;
    }

    public int load(List<String[]> rows) {
        if (rows.isEmpty()) return 0;
        Handle session = database.session(); 
        BulkWriter loader = new BulkWriter(session); 
        int loaded = loader.write(rows, "items", NewTypes.VARCHAR, true); 
        session.close(); 
        return loaded;
    }
}
