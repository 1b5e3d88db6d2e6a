package net.olddb.jdbc;

public class OldDriver {}
