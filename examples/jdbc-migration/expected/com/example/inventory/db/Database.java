package com.example.inventory.db;

import org.newdb.Handle;
import org.newdb.pool.ConnectionPool;

/** The application's one pool of vendor sessions. */
public class Database {
    private final ConnectionPool pool;

    public Database(String url, int size) {
        pool = ConnectionPool.build(url, size, 30);
    }

    public Handle session() {
        return pool.acquire();
    }

    public void close() {
        pool.close();
    }
}
