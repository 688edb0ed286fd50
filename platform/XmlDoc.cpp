#include "platform/XmlDoc.h"

#include "platform/Files.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>

namespace plat {
namespace {

// ---- reading: libxml2 decides well-formedness, decodes the declared encoding, normalises line ends
// and expands internal entities; the result is copied into the pugixml tree the facade hands out.

struct ParseState {
    std::string firstError;  // the first fatal message with its position
    std::string refusal;     // set by our own checks while parsing
    std::string undeclared;  // where a reference to an undeclared entity was met (only a warning to the parser)
    size_t expanded = 0;     // characters of entity text copied so far
};

// Internal entities are expanded; one that refers to outside content is never loaded.
void entityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                xmlChar* content) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (type == XML_INTERNAL_GENERAL_ENTITY || type == XML_INTERNAL_PARAMETER_ENTITY) {
        xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
        return;
    }
    auto* state = static_cast<ParseState*>(ctxt->_private);
    if (state && state->refusal.empty())
        state->refusal = "external entity '" + std::string(reinterpret_cast<const char*>(name)) +
                         "' is not supported at offset " + std::to_string(xmlByteConsumed(ctxt));
    xmlStopParser(ctxt);
}

xmlParserInputPtr noExternalInput(void*, const xmlChar*, const xmlChar*) { return nullptr; }

void recordError(void* ctx, xmlErrorPtr e) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    auto* state = static_cast<ParseState*>(ctxt->_private);
    if (!state || !e) return;
    const bool undeclared = e->code == XML_WAR_UNDECLARED_ENTITY || e->code == XML_ERR_UNDECLARED_ENTITY;
    if (e->level < XML_ERR_FATAL && !undeclared) return;
    std::string& slot = e->level < XML_ERR_FATAL ? state->undeclared : state->firstError;
    if (!slot.empty()) return;
    std::string msg = e->message ? e->message : "unknown error";
    // libxml2 appends a byte dump on a second line; the first line is the message.
    if (const size_t nl = msg.find('\n'); nl != std::string::npos) msg.resize(nl);
    slot = msg + " at offset " + std::to_string(xmlByteConsumed(ctxt)) + " (line " + std::to_string(e->line) +
           ", column " + std::to_string(e->int2) + ")";
}

std::string latin(const xmlChar* s) { return s ? std::string(reinterpret_cast<const char*>(s)) : std::string(); }

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// A byte order mark fixes the encoding; a declaration naming another one contradicts the bytes.
std::string bomMismatch(const QByteArray& bytes, const xmlChar* declared) {
    if (!declared) return {};
    const std::string enc = upper(latin(declared));
    if (bytes.startsWith("\xEF\xBB\xBF") && enc != "UTF-8" && enc != "UTF8")
        return "encoding declaration '" + latin(declared) + "' does not match the UTF-8 byte order mark at offset 3";
    const bool utf16 = enc.rfind("UTF-16", 0) == 0 || enc.rfind("UTF16", 0) == 0;
    if ((bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) && !utf16)
        return "encoding declaration '" + latin(declared) + "' does not match the UTF-16 byte order mark at offset 2";
    return {};
}

// An expansion this large is an attack on memory, not a project file.
constexpr size_t kMaxExpansion = 16u * 1024 * 1024;

bool copyChildren(xmlNodePtr from, pugi::xml_node to, ParseState& state, bool inEntity);

bool blankOnly(const char* s) {
    for (; *s; ++s)
        if (!std::strchr(" \t\r\n", *s)) return false;
    return true;
}

// A blank value is kept when it is the element's only content; blanks beside other content are
// only the layout of a hand-indented file.
void dropLayoutBlanks(pugi::xml_node e) {
    if (e.first_child() == e.last_child()) return;
    for (pugi::xml_node c = e.first_child(); c;) {
        const pugi::xml_node next = c.next_sibling();
        if (c.type() == pugi::node_pcdata && blankOnly(c.value())) e.remove_child(c);
        c = next;
    }
}

bool copyNode(xmlNodePtr n, pugi::xml_node to, ParseState& state, bool inEntity) {
    switch (n->type) {
    case XML_ELEMENT_NODE: {
        std::string name = latin(n->name);
        if (n->ns && n->ns->prefix) name = latin(n->ns->prefix) + ':' + name;
        pugi::xml_node e = to.append_child(name.c_str());
        for (xmlNsPtr ns = n->nsDef; ns; ns = ns->next)
            e.append_attribute(ns->prefix ? ("xmlns:" + latin(ns->prefix)).c_str() : "xmlns")
                .set_value(latin(ns->href).c_str());
        for (xmlAttrPtr a = n->properties; a; a = a->next) {
            std::string an = latin(a->name);
            if (a->ns && a->ns->prefix) an = latin(a->ns->prefix) + ':' + an;
            xmlChar* v = xmlNodeListGetString(n->doc, a->children, 1);
            e.append_attribute(an.c_str()).set_value(v ? reinterpret_cast<const char*>(v) : "");
            if (inEntity) state.expanded += v ? std::strlen(reinterpret_cast<const char*>(v)) : 0;
            xmlFree(v);
        }
        if (!copyChildren(n->children, e, state, inEntity)) return false;
        dropLayoutBlanks(e);
        return true;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE: {
        // CDATA is only a way of writing text: it is kept as text so the writer escapes it alike.
        const std::string v = latin(n->content);
        if (inEntity) state.expanded += v.size();
        pugi::xml_node last = to.last_child();
        if (last.type() == pugi::node_pcdata)
            last.set_value((std::string(last.value()) + v).c_str());
        else
            to.append_child(pugi::node_pcdata).set_value(v.c_str());
        return true;
    }
    case XML_COMMENT_NODE:
        to.append_child(pugi::node_comment).set_value(latin(n->content).c_str());
        return true;
    case XML_PI_NODE: {
        pugi::xml_node pi = to.append_child(pugi::node_pi);
        pi.set_name(latin(n->name).c_str());
        pi.set_value(latin(n->content).c_str());
        return true;
    }
    case XML_ENTITY_REF_NODE: {
        // Left in the tree only when the parser could not replace it: refused, never kept as "&e;".
        auto* ent = reinterpret_cast<xmlEntityPtr>(n->children);
        if (!ent || ent->etype != XML_INTERNAL_GENERAL_ENTITY) {
            state.refusal = !state.undeclared.empty()
                                ? state.undeclared
                                : "entity '" + latin(n->name) + "' cannot be expanded at line " +
                                      std::to_string(n->line);
            return false;
        }
        return copyChildren(ent->children, to, state, true);
    }
    default:  // DTD, entity declarations: read, not part of the document's content
        return true;
    }
}

bool copyChildren(xmlNodePtr from, pugi::xml_node to, ParseState& state, bool inEntity) {
    for (xmlNodePtr n = from; n; n = n->next) {
        if (!copyNode(n, to, state, inEntity)) return false;
        if (state.expanded > kMaxExpansion) {
            state.refusal = "entity expansion exceeds " + std::to_string(kMaxExpansion) + " characters";
            return false;
        }
    }
    return true;
}

// Some libxml2 errors (a byte the declared encoding cannot decode) bypass the parser's own error
// handler and go to the thread's generic one, which prints: they are kept for the message instead.
thread_local std::string genericText;

void keepGeneric(void*, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (genericText.size() < 4096) genericText += buffer;
}

class QuietGenericErrors {
public:
    QuietGenericErrors() : handler_(xmlGenericError), context_(xmlGenericErrorContext) {
        genericText.clear();
        xmlSetGenericErrorFunc(nullptr, keepGeneric);
    }
    ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, handler_); }
    QuietGenericErrors(const QuietGenericErrors&) = delete;
    QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

private:
    xmlGenericErrorFunc handler_;
    void* context_;
};

bool strictParse(const QByteArray& bytes, pugi::xml_document& out, std::string& reason) {
    static std::once_flag init;
    std::call_once(init, [] { xmlInitParser(); });
    const QuietGenericErrors quietScope;
    if (bytes.isEmpty()) {
        reason = "no root element at offset 0";
        return false;
    }
    if (bytes.size() > std::numeric_limits<int>::max()) {
        reason = "document too large at offset 0";
        return false;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        reason = "out of memory";
        return false;
    }
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->serror = recordError;
    ctxt->sax->entityDecl = entityDecl;
    ctxt->sax->resolveEntity = noExternalInput;
    ctxt->sax->externalSubset = nullptr;
    // NOENT replaces internal entities; external ones are refused above, nothing is fetched.
    constexpr int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr doc =
        xmlCtxtReadMemory(ctxt, bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
    const bool wellFormed = doc && ctxt->wellFormed && state.refusal.empty();
    if (!wellFormed) {
        if (!state.refusal.empty())
            reason = state.refusal;
        else if (!state.firstError.empty())
            reason = state.firstError;
        else
            reason = "document rejected at offset " + std::to_string(xmlByteConsumed(ctxt));
        if (!genericText.empty()) reason = genericText.substr(0, genericText.find('\n')) + " (" + reason + ")";
    } else {
        reason = bomMismatch(bytes, doc->encoding);
    }
    bool ok = wellFormed && reason.empty();
    if (ok) {
        ok = copyChildren(doc->children, out, state, false);
        if (!ok) reason = state.refusal;
    }
    if (doc) xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return ok;
}

// ---- writing: raw, no declaration; a CR in text is written as a reference so that the reader's
// line-end normalisation gives it back unchanged.

void escape(std::string& out, const char* s, bool attribute) {
    for (; *s; ++s) {
        const unsigned char c = static_cast<unsigned char>(*s);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>':
            if (attribute) out += '>';
            else out += "&gt;";
            break;
        case '"':
            if (attribute) out += "&quot;";
            else out += '"';
            break;
        default:
            if (c < 32 && (attribute || (c != '\t' && c != '\n'))) {
                out += "&#";
                out += static_cast<char>('0' + c / 10);
                out += static_cast<char>('0' + c % 10);
                out += ';';
            } else {
                out += static_cast<char>(c);
            }
        }
    }
}

void writeNode(std::string& out, pugi::xml_node n) {
    switch (n.type()) {
    case pugi::node_element: {
        out += '<';
        out += n.name();
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            out += ' ';
            out += a.name();
            out += "=\"";
            escape(out, a.value(), true);
            out += '"';
        }
        if (!n.first_child()) {
            out += "/>";
            return;
        }
        out += '>';
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) writeNode(out, c);
        out += "</";
        out += n.name();
        out += '>';
        return;
    }
    case pugi::node_pcdata:
    case pugi::node_cdata:
        escape(out, n.value(), false);
        return;
    case pugi::node_comment: {
        // "--" cannot stand in a comment, nor a '-' before its end.
        out += "<!--";
        for (const char* c = n.value(); *c; ++c) {
            out += *c;
            if (*c == '-' && (c[1] == '-' || c[1] == 0)) out += ' ';
        }
        out += "-->";
        return;
    }
    case pugi::node_pi:
        out += "<?";
        out += n.name();
        if (*n.value()) {
            out += ' ';
            out += n.value();
        }
        out += "?>";
        return;
    default:
        return;
    }
}

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
    std::string reason;
    if (!strictParse(bytes, *doc_, reason)) {
        if (error) *error = QStringLiteral("XML not well-formed: %1").arg(QString::fromStdString(reason));
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
    std::string out;
    for (pugi::xml_node n = doc_->first_child(); n; n = n.next_sibling()) writeNode(out, n);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
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
