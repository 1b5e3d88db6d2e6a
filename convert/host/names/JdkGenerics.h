// JdkGenerics: what the JDK's generic containers and functional interfaces
// give by their type arguments, for typing names that the file does not
// type itself (list.get(0), sessions.forEach(s -> ...), a Consumer<T>).
// Type arguments are named by their index in the declared type.
#pragma once

#include <string>
#include <vector>

namespace host {

// The index of the type argument that a container's method returns
// (list.get -> 0, map.get -> 1); -1 when it returns none of them.
int jdkElementResult(const std::string& type, const std::string& method);

// The container type that a method returns with the receiver's type
// arguments (list.stream() -> Stream, stream.filter(...) -> Stream,
// stream.findFirst() -> Optional); empty when it does not.
std::string jdkSameElements(const std::string& type, const std::string& method);

// The type argument indices of the parameters of a lambda given to a
// container's method (list.forEach -> {0}, map.forEach -> {0, 1}); empty
// when the method takes no such lambda.
std::vector<size_t> jdkLambdaParameters(const std::string& type, const std::string& method);

// The type argument indices of the parameters of a lambda whose target is
// one of java.util.function's interfaces (BiFunction -> {0, 1}).
std::vector<size_t> jdkFunctionParameters(const std::string& type);

}  // namespace host
