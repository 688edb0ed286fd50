#include "platform/XmlDoc.h"

#include "platform/Files.h"

#include <cstring>
#include <sstream>

namespace plat {
namespace {

// Line ends inside values are kept as written (no end-of-line normalisation), so texts round-trip.
constexpr unsigned kParseFlags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single | pugi::parse_comments |
                                 pugi::parse_declaration | pugi::parse_doctype;
constexpr unsigned kFormatFlags = pugi::format_raw | pugi::format_no_declaration;

QString fromUtf8(const char* s) { return QString::fromUtf8(s); }

std::string utf8(const QString& s) { return s.toStdString(); }

bool isElement(pugi::xml_node n) { return n.type() == pugi::node_element; }

}  // namespace

QString XmlElement::name() const { return fromUtf8(node_.name()); }

XmlElement XmlElement::child(const QString& name) const {
    if (!node_) return {};
    return XmlElement(node_.child(utf8(name).c_str()));
}

XmlElement XmlElement::firstChildElement() const {
    if (!node_) return {};
    for (pugi::xml_node n = node_.first_child(); n; n = n.next_sibling())
        if (isElement(n)) return XmlElement(n);
    return {};
}

XmlElement XmlElement::nextSiblingElement() const {
    if (!node_) return {};
    for (pugi::xml_node n = node_.next_sibling(); n; n = n.next_sibling())
        if (isElement(n)) return XmlElement(n);
    return {};
}

XmlElement XmlElement::nextSiblingElement(const QString& name) const {
    if (!node_) return {};
    return XmlElement(node_.next_sibling(utf8(name).c_str()));
}

std::vector<XmlElement> XmlElement::childElements() const {
    std::vector<XmlElement> out;
    for (pugi::xml_node n = node_.first_child(); n; n = n.next_sibling())
        if (isElement(n)) out.emplace_back(n);
    return out;
}

std::vector<XmlElement> XmlElement::childElements(const QString& name) const {
    std::vector<XmlElement> out;
    const std::string n8 = utf8(name);
    for (pugi::xml_node n = node_.child(n8.c_str()); n; n = n.next_sibling(n8.c_str())) out.emplace_back(n);
    return out;
}

QString XmlElement::text() const {
    if (!node_) return {};
    std::string all;
    for (pugi::xml_node n = node_.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) all += n.value();
    return QString::fromStdString(all);
}

void XmlElement::setText(const QString& text) {
    if (!node_) return;
    while (node_.first_child()) node_.remove_child(node_.first_child());
    if (!text.isEmpty()) node_.append_child(pugi::node_pcdata).set_value(utf8(text).c_str());
}

bool XmlElement::hasAttribute(const QString& name) const {
    return node_ && static_cast<bool>(node_.attribute(utf8(name).c_str()));
}

QString XmlElement::attribute(const QString& name, const QString& fallback) const {
    if (!node_) return fallback;
    const pugi::xml_attribute a = node_.attribute(utf8(name).c_str());
    return a ? fromUtf8(a.value()) : fallback;
}

void XmlElement::setAttribute(const QString& name, const QString& value) {
    if (!node_) return;
    const std::string n8 = utf8(name);
    pugi::xml_attribute a = node_.attribute(n8.c_str());
    if (!a) a = node_.append_attribute(n8.c_str());
    a.set_value(utf8(value).c_str());
}

XmlElement XmlElement::appendChild(const QString& name) {
    if (!node_) return {};
    return XmlElement(node_.append_child(utf8(name).c_str()));
}

XmlElement XmlElement::appendTextChild(const QString& name, const QString& text) {
    XmlElement e = appendChild(name);
    e.setText(text);
    return e;
}

XmlDocument::XmlDocument() : doc_(std::make_unique<pugi::xml_document>()) {}
XmlDocument::~XmlDocument() = default;

bool XmlDocument::load(const QString& path, QString* error) {
    clear();
    QString readError;
    const auto bytes = readFile(path, &readError);
    if (!bytes) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, readError);
        return false;
    }
    QString parseError;
    if (!loadBytes(*bytes, &parseError)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, parseError);
        return false;
    }
    return true;
}

bool XmlDocument::loadBytes(const QByteArray& bytes, QString* error) {
    clear();
    const pugi::xml_parse_result r =
        doc_->load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseFlags, pugi::encoding_auto);
    if (!r) {
        if (error)
            *error = QStringLiteral("XML not well-formed: %1 at offset %2")
                         .arg(QString::fromUtf8(r.description()))
                         .arg(static_cast<qlonglong>(r.offset));
        clear();
        return false;
    }
    // The parser accepts fragments; a document has exactly one root element and no text beside it.
    int elements = 0;
    bool strayText = false;
    for (pugi::xml_node n = doc_->first_child(); n; n = n.next_sibling()) {
        if (isElement(n)) ++elements;
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
            for (const char* c = n.value(); *c; ++c)
                if (!std::strchr(" \t\r\n", *c)) strayText = true;
        }
    }
    if (elements != 1 || strayText) {
        if (error)
            *error = elements == 0 ? QStringLiteral("XML not well-formed: no root element")
                                   : QStringLiteral("XML not well-formed: content outside the root element");
        clear();
        return false;
    }
    return true;
}

void XmlDocument::clear() { doc_->reset(); }

XmlElement XmlDocument::root() const { return XmlElement(doc_->document_element()); }

XmlElement XmlDocument::createRoot(const QString& name) {
    clear();
    return XmlElement(doc_->append_child(utf8(name).c_str()));
}

void XmlDocument::appendComment(const QString& text) {
    doc_->append_child(pugi::node_comment).set_value(utf8(text).c_str());
}

QByteArray XmlDocument::toBytes() const {
    std::ostringstream out;
    doc_->save(out, "", kFormatFlags, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

bool XmlDocument::save(const QString& path, QString* error) const {
    QString writeError;
    if (!atomicWrite(path, toBytes(), &writeError)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, writeError);
        return false;
    }
    return true;
}

}  // namespace plat
