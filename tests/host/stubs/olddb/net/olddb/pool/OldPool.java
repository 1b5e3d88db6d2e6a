package net.olddb.pool;

import net.olddb.Session;

public class OldPool {
    public static OldPool create(String url, int size) {
        return new OldPool();
    }

    public Session session() {
        return new Session();
    }

    public void shutdown() {}
}
