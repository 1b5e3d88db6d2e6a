package org.newdb;

public @interface Tracked {
    int severity() default 0;
}
