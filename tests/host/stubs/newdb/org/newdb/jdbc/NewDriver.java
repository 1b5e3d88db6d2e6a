package org.newdb.jdbc;

public class NewDriver {}
