package net.olddb.jdbc;

public class Driver {}
