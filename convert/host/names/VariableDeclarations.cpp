// VariableDeclarations: the locals, parameters and fields the walk meets.
#include "names/VariableDeclarations.h"

namespace host {

void VariableDeclarations::visitVariable(TSNode typeNode, TSNode name,
                                         const std::string& inferred) {
    bool isVar = isType(typeNode, "type_identifier") && text(typeNode) == "var";
    std::string type = isVar ? inferred : typeName(typeNode);
    if (!ts_node_is_null(typeNode)) visitLater(typeNode);
    if (ts_node_is_null(name)) return;
    tasks.then([this, typeNode, name, type] {
        declare(text(name), type, typeNode);
        mark(name, kKindVariable);
    });
}

void VariableDeclarations::visitParameter(TSNode node) {
    TSNode typeNode = fieldOf(node, "type");
    TSNode name = fieldOf(node, "name");
    if (isType(node, "catch_formal_parameter")) {
        TSNode catchType = ts_node_named_child(node, 0);
        for (uint32_t i = 0; i < ts_node_named_child_count(node); ++i) {
            if (isType(ts_node_named_child(node, i), "catch_type"))
                catchType = ts_node_named_child(node, i);
        }
        typeNode = ts_node_named_child_count(catchType) == 1 ? ts_node_named_child(catchType, 0)
                                                             : TSNode{};
    }
    if (isType(node, "spread_parameter")) {
        // Type... name: the declarator holds the name.
        for (uint32_t i = 0; i < ts_node_named_child_count(node); ++i) {
            TSNode child = ts_node_named_child(node, i);
            if (isType(child, "variable_declarator")) name = fieldOf(child, "name");
        }
    }
    if (!ts_node_is_null(name)) {
        declare(text(name), typeNode.id == nullptr ? std::string() : typeName(typeNode), typeNode);
        mark(name, kKindVariable);
    }
    visitExcept(node, {name});
}

void VariableDeclarations::visitLambdaParameters(TSNode lambda, TSNode parameters) {
    if (ts_node_is_null(parameters)) return;
    std::vector<TSNode> names;
    if (isType(parameters, "identifier")) {
        names.push_back(parameters);
    } else if (isType(parameters, "inferred_parameters")) {
        for (uint32_t i = 0; i < ts_node_named_child_count(parameters); ++i)
            names.push_back(ts_node_named_child(parameters, i));
    } else {
        visitLater(parameters);
        return;
    }
    auto typed = lambdaTypes.find(lambda.id);
    for (size_t i = 0; i < names.size(); ++i) {
        bool known = typed != lambdaTypes.end() && typed->second.size() == names.size();
        declare(text(names[i]), known ? typed->second[i] : std::string());
        mark(names[i], kKindVariable);
    }
}

void VariableDeclarations::visitDeclaration(TSNode node, bool local) {
    uint32_t count = ts_node_child_count(node);
    for (uint32_t i = 0; i < count; ++i) {
        TSNode child = ts_node_child(node, i);
        if (isType(child, "variable_declarator")) {
            tasks.then([this, node, child, local] { visitDeclarator(node, child, local); });
        } else {
            visitLater(child);
        }
    }
}

void VariableDeclarations::visitDeclarator(TSNode declaration, TSNode declarator, bool local) {
    TSNode typeNode = fieldOf(declaration, "type");
    std::string type = typeName(typeNode);
    TSNode name = fieldOf(declarator, "name");
    TSNode value = fieldOf(declarator, "value");
    if (isType(value, "lambda_expression")) typeLambda(value, targetParameters(type, typeNode));
    // var x = ...: the initializer's type, where it is known.
    Receiver initial = visitValue(value);
    bool inferred = isType(typeNode, "type_identifier") && text(typeNode) == "var";
    std::string declared = inferred ? initial.name : type;
    TSNode written = inferred ? initial.declared : typeNode;
    tasks.then([this, local, name, declared, written] {
        if (local && !ts_node_is_null(name)) declare(text(name), declared, written);
        mark(name, kKindVariable);
    });
    visitExcept(declarator, {name, value});
}

}  // namespace host
