package com.example.inventory.db;

import net.olddb.Session;
import net.olddb.pool.OldPool;

/** The application's one pool of vendor sessions. */
public class Database {
    private final OldPool pool;

    public Database(String url, int size) {
        pool = OldPool.create(url, size);
    }

    public Session session() {
        return pool.session();
    }

    public void close() {
        pool.shutdown();
    }
}
