#include "scripts/ServiceAnswer.h"

#include "platform/Text.h"

#include <pugixml.hpp>

#include <cstring>

namespace quillan {

namespace {

// The local part of an element name ("soap:Fault" -> "Fault").
const char* localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strrchr(name, ':');
    return colon != nullptr ? colon + 1 : name;
}

// Collects the text nodes of a document in document order.
struct TextCollector : pugi::xml_tree_walker {
    std::string text;
    bool for_each(pugi::xml_node& node) override {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata)
            text += node.value();
        return true;
    }
};

} // namespace

bool isSoapFault(const std::string& answer) {
    pugi::xml_document doc;
    if (!doc.load_string(answer.c_str()))
        return false;
    const pugi::xml_node envelope = doc.document_element();
    if (std::strcmp(localName(envelope), "Envelope") != 0)
        return false;
    for (const pugi::xml_node part : envelope.children())
        if (std::strcmp(localName(part), "Body") == 0)
            for (const pugi::xml_node inner : part.children())
                if (std::strcmp(localName(inner), "Fault") == 0)
                    return true;
    return false;
}

std::string documentText(const std::string& answer) {
    pugi::xml_document doc;
    if (!doc.load_string(answer.c_str()))
        return {};
    TextCollector collect;
    doc.traverse(collect);
    return std::string(trimmed(collect.text));
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const auto cut = list.find(',', start);
        names.push_back(list.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
        if (cut == std::string::npos)
            return names;
        start = cut + 1;
    }
}

} // namespace quillan
