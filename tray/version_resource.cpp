#include "version_resource.h"

#include <optional>
#include <vector>

namespace nowplaying::tray {

namespace {

// One node of the tree: wLength, wValueLength, wType, a zero-terminated key, then
// the value and the children, each starting on a 4-byte boundary.
struct Node {
    std::u16string key;
    std::span<const std::uint8_t> value;    // from the value to the node's end
    std::span<const std::uint8_t> children; // from the first child to the node's end
};

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

std::optional<Node> ReadNode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 6) {
        return std::nullopt;
    }
    const std::size_t length = Word(bytes, 0);
    const std::size_t valueLength = Word(bytes, 2);
    const bool text = Word(bytes, 4) == 1;
    if (length < 6 || length > bytes.size()) {
        return std::nullopt;
    }
    bytes = bytes.first(length);
    Node node;
    std::size_t offset = 6;
    for (; offset + 1 < bytes.size(); offset += 2) {
        const char16_t unit = Word(bytes, offset);
        if (unit == 0) {
            break;
        }
        node.key.push_back(unit);
    }
    offset = Align4(offset + 2);
    if (offset > bytes.size()) {
        return std::nullopt;
    }
    node.value = bytes.subspan(offset);
    // Text values count characters, binary ones bytes.
    const std::size_t valueBytes = text ? 2 * valueLength : valueLength;
    const std::size_t childOffset = Align4(offset + valueBytes);
    node.children = childOffset < bytes.size() ? bytes.subspan(childOffset) : std::span<const std::uint8_t>{};
    return node;
}

std::vector<Node> Children(std::span<const std::uint8_t> children)
{
    std::vector<Node> nodes;
    while (const std::optional<Node> node = ReadNode(children)) {
        nodes.push_back(*node);
        const std::size_t next = Align4(Word(children, 0));
        if (next >= children.size()) {
            break;
        }
        children = children.subspan(next);
    }
    return nodes;
}

} // namespace

std::u16string FindVersionString(std::span<const std::uint8_t> versionInfo, std::u16string_view name)
{
    const std::optional<Node> root = ReadNode(versionInfo);
    if (!root || root->key != u"VS_VERSION_INFO") {
        return {};
    }
    for (const Node& info : Children(root->children)) {
        if (info.key != u"StringFileInfo") {
            continue;
        }
        for (const Node& table : Children(info.children)) {
            for (const Node& string : Children(table.children)) {
                if (string.key != name) {
                    continue;
                }
                std::u16string value;
                for (std::size_t i = 0; i + 1 < string.value.size(); i += 2) {
                    const char16_t unit = Word(string.value, i);
                    if (unit == 0) {
                        break;
                    }
                    value.push_back(unit);
                }
                return value;
            }
        }
    }
    return {};
}

} // namespace nowplaying::tray
