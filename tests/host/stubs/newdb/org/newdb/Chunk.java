package org.newdb;

import java.util.Collections;
import java.util.Iterator;

public class Chunk implements Iterable<String> {
    public Iterator<String> iterator() {
        return Collections.emptyIterator();
    }
}
