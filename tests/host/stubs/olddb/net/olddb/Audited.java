package net.olddb;

public @interface Audited {
    int level() default 0;

    String scope() default "";
}
