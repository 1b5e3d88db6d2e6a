#!/usr/bin/env python3
"""Synthetic Java source tree for bench/run.sh.

Writes FILES classes, in packages of 25, each about KB kilobytes: imports,
fields, a constructor and methods with loops, switches, try blocks, string
literals and comments; each class calls into two classes of the previous
package. VENDOR percent of the classes also hold a net.olddb session and
query through it with the calls that tests/host/corpus/config.xml maps.
The same arguments and seed always give the same tree.
"""
import argparse
import os
import random

WORDS = ["Order", "Invoice", "Customer", "Ledger", "Account", "Shipment", "Catalog",
         "Payment", "Report", "Inventory", "Ticket", "Schedule", "Audit", "Profile"]
ROLES = ["Service", "Manager", "Store", "Builder", "Index", "Registry", "Worker"]


def plain_method(r, n, peers):
    """One method of ordinary code; n makes its names unique in the class."""
    peer = r.choice(peers) if peers else None
    call = f"        notes.add({peer[1].lower()}.describe());\n" if peer else ""
    kind = r.randrange(5)
    if kind == 0:
        return (f"    /** Joins the names that pass the filter, {n}. */\n"
                f"    public String join{n}(List<String> names, String prefix) {{\n"
                f"        StringBuilder out = new StringBuilder();\n"
                f"        for (String name : names) {{\n"
                f"            // names without the prefix are skipped\n"
                f"            if (!name.startsWith(prefix)) continue;\n"
                f"            out.append(name.trim()).append(\", \");\n"
                f"        }}\n{call}"
                f"        return out.length() > 0 ? out.toString() : \"(none {n})\";\n"
                f"    }}\n\n")
    if kind == 1:
        return (f"    public Map<String, Integer> count{n}(String[] words) {{\n"
                f"        Map<String, Integer> counts = new HashMap<>();\n"
                f"        for (int i = 0; i < words.length; i++) {{\n"
                f"            String key = words[i].toLowerCase();\n"
                f"            counts.put(key, counts.getOrDefault(key, 0) + {r.randint(1, 9)});\n"
                f"        }}\n"
                f"        /* totals above the limit are logged */\n"
                f"        if (counts.size() > limit) {{\n"
                f"            notes.add(\"too many words: \" + counts.size());\n"
                f"        }}\n{call}"
                f"        return counts;\n"
                f"    }}\n\n")
    if kind == 2:
        return (f"    int level{n}(int code) {{\n"
                f"        switch (code % {r.randint(3, 7)}) {{\n"
                f"            case 0:\n"
                f"                return limit;\n"
                f"            case 1:\n"
                f"                return limit * {r.randint(2, 5)};\n"
                f"            default:\n"
                f"                break;\n"
                f"        }}\n"
                f"        int total = 0;\n"
                f"        while (code > 0) {{\n"
                f"            total += code & 0x{r.randint(1, 255):x};\n"
                f"            code >>= 1;\n"
                f"        }}\n"
                f"        return total;\n"
                f"    }}\n\n")
    if kind == 3:
        # next and run are names the rules map too: here on JDK types.
        return (f"    int lengths{n}(List<String> items, Runnable done) {{\n"
                f"        int total = 0;\n"
                f"        Iterator<String> it = items.iterator();\n"
                f"        while (it.hasNext()) {{\n"
                f"            total += it.next().length();\n"
                f"        }}\n"
                f"        done.run();\n"
                f"        return total;\n"
                f"    }}\n\n")
    return (f"    String load{n}(String path) {{\n"
            f"        try {{\n"
            f"            byte[] data = Files.readAllBytes(Paths.get(path, \"part-{n}.txt\"));\n"
            f"            return new String(data, \"UTF-8\");\n"
            f"        }} catch (IOException e) {{\n"
            f"            notes.add(\"cannot read \" + path + \": \" + e.getMessage());\n"
            f"            return \"\";\n"
            f"        }}\n"
            f"    }}\n\n")


def vendor_method(r, n):
    """One method that queries through the vendor's session."""
    kind = r.randrange(3)
    if kind == 0:
        return (f"    String first{n}(String table) {{\n"
                f"        Result rows = session.run(\"select * from \" + table);\n"
                f"        if (rows.next()) {{\n"
                f"            return rows.text({r.randint(1, 4)});\n"
                f"        }}\n"
                f"        return null;\n"
                f"    }}\n\n")
    if kind == 1:
        return (f"    int rows{n}(String where) {{\n"
                f"        Session opened = Session.open(\"jdbc:olddb://db{n}.local/app\");\n"
                f"        Result result = opened.run(\"select id from items where \" + where);\n"
                f"        int seen = 0;\n"
                f"        while (result.next()) {{\n"
                f"            seen++;\n"
                f"        }}\n"
                f"        opened.close();\n"
                f"        return seen;\n"
                f"    }}\n\n")
    return (f"    int timeout{n}() {{\n"
            f"        Session fresh = new Session();\n"
            f"        fresh.timeout = Session.DEFAULT_TIMEOUT;\n"
            f"        return fresh.timeout + {r.randint(1, 60)};\n"
            f"    }}\n\n")


def class_text(r, package, name, peers, vendor, size):
    imports = ["java.io.IOException", "java.nio.file.Files", "java.nio.file.Paths",
               "java.util.ArrayList", "java.util.HashMap", "java.util.Iterator",
               "java.util.List", "java.util.Map"]
    imports += [f"{p}.{c}" for p, c in peers]
    if vendor:
        imports += ["net.olddb.Result", "net.olddb.Session"]
    head = f"// Generated for the nidus-convert benchmark.\npackage {package};\n\n"
    head += "".join(f"import {i};\n" for i in imports)
    head += f"\n/** {name}: keeps notes and answers questions about them. */\n"
    head += f"public class {name} {{\n"
    head += "    private final List<String> notes = new ArrayList<>();\n"
    head += f"    private int limit = {r.randint(10, 500)};\n"
    head += "".join(f"    private {c} {c.lower()} = new {c}();\n" for _, c in peers)
    if vendor:
        head += "    private Session session;\n\n"
        head += f"    public {name}() {{\n        this(Session.open(\"jdbc:olddb://localhost/app\"));\n    }}\n\n"
        head += f"    public {name}(Session session) {{\n        this.session = session;\n    }}\n\n"
    else:
        head += f"\n    public {name}() {{\n    }}\n\n"
    head += f"    public String describe() {{\n        return \"{name} \" + notes.size();\n    }}\n\n"
    text, n = [head], 0
    while sum(map(len, text)) < size:
        n += 1
        vendor_turn = vendor and (n == 1 or r.random() < 0.3)
        text.append(vendor_method(r, n) if vendor_turn else plain_method(r, n, peers))
    return "".join(text) + "}\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", help="folder to write the tree into")
    parser.add_argument("--files", type=int, default=3000)
    parser.add_argument("--vendor", type=int, default=30, help="percent of vendor files")
    parser.add_argument("--kb", type=float, default=8, help="average file size in KB")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.files < 1 or not 0 <= args.vendor <= 100 or args.kb <= 0:
        parser.error("--files must be at least 1, --vendor 0 to 100, --kb above 0")
    r = random.Random(args.seed)
    vendor_files = set(r.sample(range(args.files), args.files * args.vendor // 100))
    names = [f"{WORDS[i % len(WORDS)]}{ROLES[i % len(ROLES)]}{i}" for i in range(args.files)]
    packages = [f"com.acme.shop.part{i // 25:03d}" for i in range(args.files)]
    for i in range(args.files):
        previous = range(max(0, i // 25 - 1) * 25, i // 25 * 25)
        peers = [(packages[j], names[j]) for j in r.sample(previous, min(2, len(previous)))]
        size = int(args.kb * 1024 * r.uniform(0.4, 1.6))
        text = class_text(r, packages[i], names[i], peers, i in vendor_files, size)
        folder = os.path.join(args.out, "src", *packages[i].split("."))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, names[i] + ".java"), "w") as out:
            out.write(text)


if __name__ == "__main__":
    main()
