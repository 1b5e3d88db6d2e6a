package com.example.inventory.app;

import com.example.inventory.db.Database;
import org.newdb.Rows;
import org.newdb.Handle;

/** Prints a stock report by level. */
public class Report
{
    private final Database database;

    public Report(Database database) {
        this.database = database;
    }

    public String level(int count) {
        switch (count)
        {
        case 0:
            return "empty";
        case 1:
        case 2:
            return "low";
        default:
            return count > 100 ? "full" : "normal";
        }
    }

    public void print() {
        Handle session = database.session(); 
        Rows rows = session.execute("select name, COALESCE(count, 0) from items order by name"); 
        while(rows.next()) {
            String name = rows.getString(1); 
            int count = Integer.parseInt(rows.getString(2)); 
            System.out.printf("%-20s %s%n", name, level(count));
        }
        session.close(); 
    }
}
