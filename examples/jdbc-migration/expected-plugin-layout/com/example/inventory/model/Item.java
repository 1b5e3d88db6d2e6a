package com.example.inventory.model;

/** One stock item. */
public record Item(String name, int count) {
    public Item {
        if (count < 0) {
            throw new IllegalArgumentException("count below zero: " + count);
        }
    }
}
