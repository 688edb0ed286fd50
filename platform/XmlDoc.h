#pragma once
// The XML document used for every project, settings and parameter file.
// Reading: the root is the document element (a leading declaration or comment is skipped), elements
// are looked up by exact name among the children (the first of that name counts), and text is kept
// exactly, whitespace-only values included. Writing: no XML declaration, no indentation, attributes
// in the order they were set (CR, LF and TAB escaped so they survive a round trip), an optional
// comment after the root, saved through an atomic write.
#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

#include <pugixml.hpp>

namespace plat {

class XmlElement {
public:
    XmlElement() = default;
    explicit XmlElement(pugi::xml_node node) : node_(node) {}

    bool isNull() const { return !node_; }
    explicit operator bool() const { return static_cast<bool>(node_); }
    QString name() const;

    // First child element with exactly this name; a null element when there is none.
    XmlElement child(const QString& name) const;
    XmlElement firstChildElement() const;
    XmlElement nextSiblingElement() const;                    // next element whatever its name
    XmlElement nextSiblingElement(const QString& name) const;  // next element of this name
    std::vector<XmlElement> childElements() const;
    std::vector<XmlElement> childElements(const QString& name) const;

    // Concatenated character data directly under the element, exactly as written.
    QString text() const;
    // Replaces the element's children by one text node (none for an empty text).
    void setText(const QString& text);

    bool hasAttribute(const QString& name) const;
    QString attribute(const QString& name, const QString& fallback = {}) const;
    // Sets an attribute; a new one goes after the existing ones.
    void setAttribute(const QString& name, const QString& value);

    XmlElement appendChild(const QString& name);
    // Appends an element holding `text` and returns it.
    XmlElement appendTextChild(const QString& name, const QString& text);

    pugi::xml_node node() const { return node_; }

private:
    pugi::xml_node node_;
};

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Replaces the content by the file's. False when the file cannot be read or is not well-formed;
    // `error` then carries the reason (the parser's message and offset). The document is empty then.
    bool load(const QString& path, QString* error = nullptr);
    bool loadBytes(const QByteArray& bytes, QString* error = nullptr);

    void clear();
    // The document element; null when the document has none.
    XmlElement root() const;
    // Clears the document and creates its root element.
    XmlElement createRoot(const QString& name);
    // Adds a comment at document level after the root (for example "SW_VERSION = 1.003").
    void appendComment(const QString& text);

    QByteArray toBytes() const;
    // Writes the document atomically; false with `error` when the file cannot be written.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    std::unique_ptr<pugi::xml_document> doc_;
};

}  // namespace plat
