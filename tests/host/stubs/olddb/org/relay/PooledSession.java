package org.relay;

import net.olddb.Session;

// A library's own session, a subclass of the old vendor's.
public class PooledSession extends Session {
}
