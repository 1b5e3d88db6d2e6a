package com.example.inventory.db;

import java.util.ArrayList;
import java.util.List;

import com.example.inventory.model.Item;
import org.newdb.*;

/** Reads items through the vendor's session API. */
public class ItemRepository
{
    private final Database database;

    public ItemRepository(Database database) {
        this.database = database;
    }

    public List<Item> all() {
        List<Item> items = new ArrayList<>();
        Handle session = database.session(); 
        try {
            Rows rows = session.execute("select name, COALESCE(count, 0) from items"); 
            while(rows.next()) {
                items.add(new Item(rows.getString(1), Integer.parseInt(rows.getString(2)))); 
            }
        } finally {
            session.close(); 
        }
        return items;
    }

    public int count(String name) {
        Handle session = database.session(); 
        Rows rows = session.execute("select COALESCE(count, 0) from items where name = '" + name + "'"); 
        int count = rows.next() ? Integer.parseInt(rows.getString(1)) : 0; 
        session.close(); 
        return count;
    }
}
