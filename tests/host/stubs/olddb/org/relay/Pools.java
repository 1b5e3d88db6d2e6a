package org.relay;

// A library class that names no vendor class, only the library's own
// subclass of one.
public class Pools {
    public PooledSession borrowPooled() {
        return new PooledSession();
    }
}
