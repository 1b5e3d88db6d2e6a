package net.olddb;

import java.util.Collections;
import java.util.Iterator;

public class Batch implements Iterable<String> {
    public Iterator<String> iterator() {
        return Collections.emptyIterator();
    }
}
