// JdkGenerics: tables of the JDK's generic containers.
#include "names/JdkGenerics.h"

#include <map>
#include <set>

namespace host {

namespace {

enum class Container { kNone, kCollection, kMap, kStream, kOptional, kHolder };

Container containerOf(const std::string& type) {
    static const std::map<std::string, Container> kContainers = {
        {"java.lang.Iterable", Container::kCollection},
        {"java.util.Collection", Container::kCollection},
        {"java.util.List", Container::kCollection},
        {"java.util.ArrayList", Container::kCollection},
        {"java.util.LinkedList", Container::kCollection},
        {"java.util.Set", Container::kCollection},
        {"java.util.HashSet", Container::kCollection},
        {"java.util.LinkedHashSet", Container::kCollection},
        {"java.util.TreeSet", Container::kCollection},
        {"java.util.SortedSet", Container::kCollection},
        {"java.util.NavigableSet", Container::kCollection},
        {"java.util.Queue", Container::kCollection},
        {"java.util.Deque", Container::kCollection},
        {"java.util.ArrayDeque", Container::kCollection},
        {"java.util.Map", Container::kMap},
        {"java.util.HashMap", Container::kMap},
        {"java.util.LinkedHashMap", Container::kMap},
        {"java.util.TreeMap", Container::kMap},
        {"java.util.SortedMap", Container::kMap},
        {"java.util.NavigableMap", Container::kMap},
        {"java.util.concurrent.ConcurrentHashMap", Container::kMap},
        {"java.util.stream.Stream", Container::kStream},
        {"java.util.Optional", Container::kOptional},
        {"java.util.function.Supplier", Container::kHolder},
        {"java.lang.ThreadLocal", Container::kHolder},
        {"java.util.concurrent.atomic.AtomicReference", Container::kHolder},
        {"java.util.Iterator", Container::kHolder},
        {"java.util.ListIterator", Container::kHolder},
    };
    auto found = kContainers.find(type);
    return found == kContainers.end() ? Container::kNone : found->second;
}

bool isOneOf(const std::string& method, const std::set<std::string>& methods) {
    return methods.count(method) != 0;
}

}  // namespace

int jdkElementResult(const std::string& type, const std::string& method) {
    switch (containerOf(type)) {
    case Container::kCollection:
        return isOneOf(method, {"get", "getFirst", "getLast", "peek", "poll", "pop", "element",
                                "peekFirst", "peekLast", "pollFirst", "pollLast", "removeFirst",
                                "removeLast", "first", "last"})
                   ? 0
                   : -1;
    case Container::kMap:
        return isOneOf(method, {"get", "getOrDefault"}) ? 1 : -1;
    case Container::kOptional:
        return isOneOf(method, {"get", "orElse", "orElseThrow"}) ? 0 : -1;
    case Container::kHolder:
        return isOneOf(method, {"get", "next", "previous"}) ? 0 : -1;
    case Container::kStream:
    case Container::kNone:
        break;
    }
    return -1;
}

std::string jdkSameElements(const std::string& type, const std::string& method) {
    switch (containerOf(type)) {
    case Container::kCollection:
        if (isOneOf(method, {"stream", "parallelStream"})) return "java.util.stream.Stream";
        if (method == "iterator") return "java.util.Iterator";
        break;
    case Container::kStream:
        if (isOneOf(method, {"filter", "sorted", "peek", "distinct", "limit", "skip", "takeWhile",
                             "dropWhile"}))
            return type;
        if (isOneOf(method, {"findFirst", "findAny"})) return "java.util.Optional";
        break;
    case Container::kOptional:
        if (method == "filter") return type;
        break;
    case Container::kMap:
    case Container::kHolder:
    case Container::kNone:
        break;
    }
    return std::string();
}

std::vector<size_t> jdkLambdaParameters(const std::string& type, const std::string& method) {
    switch (containerOf(type)) {
    case Container::kCollection:
        if (isOneOf(method, {"forEach", "removeIf"})) return {0};
        break;
    case Container::kMap:
        if (method == "forEach") return {0, 1};
        break;
    case Container::kStream:
        if (isOneOf(method, {"forEach", "forEachOrdered", "filter", "anyMatch", "allMatch",
                             "noneMatch", "peek", "map", "mapToInt", "mapToLong", "mapToDouble",
                             "flatMap", "takeWhile", "dropWhile"}))
            return {0};
        break;
    case Container::kOptional:
        if (isOneOf(method, {"ifPresent", "map", "filter", "flatMap"})) return {0};
        break;
    case Container::kHolder:
        if (method == "forEachRemaining") return {0};
        break;
    case Container::kNone:
        break;
    }
    return {};
}

std::vector<size_t> jdkFunctionParameters(const std::string& type) {
    static const std::map<std::string, std::vector<size_t>> kParameters = {
        {"java.util.function.Consumer", {0}},          {"java.util.function.Predicate", {0}},
        {"java.util.function.Function", {0}},          {"java.util.function.UnaryOperator", {0}},
        {"java.util.function.ToIntFunction", {0}},     {"java.util.function.ToLongFunction", {0}},
        {"java.util.function.ToDoubleFunction", {0}},  {"java.util.function.BiConsumer", {0, 1}},
        {"java.util.function.BiFunction", {0, 1}},     {"java.util.function.BiPredicate", {0, 1}},
        {"java.util.function.BinaryOperator", {0, 0}},
    };
    auto found = kParameters.find(type);
    return found == kParameters.end() ? std::vector<size_t>() : found->second;
}

}  // namespace host
