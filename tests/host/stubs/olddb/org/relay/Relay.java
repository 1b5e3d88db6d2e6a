package org.relay;

import net.olddb.Session;

// A library of another maker that hands out the old vendor's sessions.
public class Relay {
    public Session lease() {
        return new Session();
    }
}
