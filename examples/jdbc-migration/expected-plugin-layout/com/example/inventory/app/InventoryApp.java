package com.example.inventory.app;

import java.sql.Connection;
import java.sql.DriverManager;
import java.sql.SQLException;
import java.util.List;

import com.example.inventory.db.BulkImport;
import com.example.inventory.db.Database;
import com.example.inventory.db.ItemRepository;
import com.example.inventory.model.Item;

/**
 * Command-line entry of the inventory tool: checks the JDBC driver, then
 * lists the items and imports new ones.
 */
public class InventoryApp
{
    static final String URL = "jdbc:newdb://localhost:5000/inventory"; 

    public static void main(String[] args) throws Exception {
        // The vendor's JDBC driver registers itself when its class loads.
        Class.forName("org.newdb.jdbc.NewDriver"); 
        if (args.length > 0 && args[0].equals("--check")) {
            check();
            return;
        }

        Database database = new Database(URL, 4);
        try {
            ItemRepository items = new ItemRepository(database);
            for (Item item : items.all()) {
                System.out.println(item.name() + ": " + item.count());
            }
            BulkImport importer = new BulkImport(database);
            int loaded = importer.load(List.<String[]>of(new String[] {"bolt", "12"}));
            System.out.println("imported " + loaded);
        } finally {
            database.close();
        }
    }

    private static void check() throws SQLException {
        try (Connection connection = DriverManager.getConnection(URL, "app", "secret")) {
            System.out.println("connected: " + !connection.isClosed());
        }
    }
}
