// Wire: values packed into one byte string and read back, for what a worker
// process and the run's parent send each other. Each text is its length,
// ":" and its bytes, so any byte may stand in it; a Reader that meets
// anything else stops and says so (ok() false).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace host {

class Writer {
public:
    Writer& text(const std::string& value) {
        bytes += std::to_string(value.size());
        bytes += ':';
        bytes += value;
        return *this;
    }
    Writer& number(long long value) { return text(std::to_string(value)); }
    Writer& texts(const std::vector<std::string>& values) {
        number(static_cast<long long>(values.size()));
        for (const std::string& value : values) text(value);
        return *this;
    }
    const std::string& done() const { return bytes; }

private:
    std::string bytes;
};

class Reader {
public:
    explicit Reader(const std::string& packed) : bytes(packed) {}

    std::string text() {
        size_t colon = bytes.find(':', at);
        if (!good || colon == std::string::npos || colon == at || colon - at > 12) return fail();
        for (size_t i = at; i < colon; ++i)
            if (bytes[i] < '0' || bytes[i] > '9') return fail();
        size_t size = std::strtoull(bytes.c_str() + at, nullptr, 10);
        if (size > bytes.size() - colon - 1) return fail();
        at = colon + 1 + size;
        return bytes.substr(colon + 1, size);
    }
    long long number() {
        std::string value = text();
        char* end = nullptr;
        long long parsed = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || end != value.c_str() + value.size()) fail();
        return good ? parsed : 0;
    }
    std::vector<std::string> texts() {
        long long count = number();
        std::vector<std::string> values;
        for (long long i = 0; good && i < count; ++i) values.push_back(text());
        return values;
    }
    bool ok() const { return good; }
    bool atEnd() const { return good && at == bytes.size(); }

private:
    const std::string& bytes;
    size_t at = 0;
    bool good = true;

    std::string fail() {
        good = false;
        return std::string();
    }
};

}  // namespace host
