package com.example.inventory.db;

import java.util.ArrayList;
import java.util.List;

import com.example.inventory.model.Item;
import net.olddb.*;

/** Reads items through the vendor's session API. */
public class ItemRepository {
    private final Database database;

    public ItemRepository(Database database) {
        this.database = database;
    }

    public List<Item> all() {
        List<Item> items = new ArrayList<>();
        Session session = database.session();
        try {
            Result rows = session.run("select name, NVL(count, 0) from items");
            while (rows.next()) {
                items.add(new Item(rows.text(1), Integer.parseInt(rows.text(2))));
            }
        } finally {
            session.close();
        }
        return items;
    }

    public int count(String name) {
        Session session = database.session();
        Result rows = session.run("select NVL(count, 0) from items where name = '" + name + "'");
        int count = rows.next() ? Integer.parseInt(rows.text(1)) : 0;
        session.close();
        return count;
    }
}
