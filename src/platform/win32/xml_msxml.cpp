#include <windows.h>
#include <msxml2.h>
#include <objbase.h>

#include <climits>
#include <cstring>

#include "config/xml_document.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace zentivo::config {
namespace {

using win32::Bstr;
using win32::ComPtr;

// IID_IXMLDOMDocument2, which MinGW's libuuid does not hold.
constexpr IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

std::string NodeName(IXMLDOMNode* node) {
  Bstr name;
  if (FAILED(node->get_nodeName(name.Put())) || !name.get())
    return {};
  return win32::Narrow(name.get());
}

class MsxmlElement final : public XmlElement {
 public:
  explicit MsxmlElement(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}

  std::unique_ptr<XmlElement> ChildByName(const std::string& name) const override {
    if (!node_)
      return std::make_unique<MsxmlElement>(ComPtr<IXMLDOMNode>());
    ComPtr<IXMLDOMNode> child;
    node_->get_firstChild(child.Put());
    while (child) {
      DOMNodeType type;
      if (SUCCEEDED(child->get_nodeType(&type)) && type == NODE_ELEMENT &&
          NodeName(child.get()) == name)
        return std::make_unique<MsxmlElement>(std::move(child));
      ComPtr<IXMLDOMNode> next;
      child->get_nextSibling(next.Put());
      child = std::move(next);
    }
    return std::make_unique<MsxmlElement>(ComPtr<IXMLDOMNode>());  // empty, in memory only
  }

  std::optional<std::string> Text() const override {
    if (!node_)
      return std::string();
    ComPtr<IXMLDOMNodeList> children;
    long count = 0;
    if (FAILED(node_->get_childNodes(children.Put())) || !children ||
        FAILED(children->get_length(&count)))
      return std::nullopt;
    if (count == 0)
      return std::string();
    if (count > 1)
      return std::nullopt;
    ComPtr<IXMLDOMNode> only;
    DOMNodeType type;
    if (FAILED(children->get_item(0, only.Put())) || !only || FAILED(only->get_nodeType(&type)))
      return std::nullopt;
    if (type != NODE_TEXT && type != NODE_CDATA_SECTION)
      return std::nullopt;
    VARIANT value;
    VariantInit(&value);
    if (FAILED(only->get_nodeValue(&value)) || value.vt != VT_BSTR) {
      VariantClear(&value);
      return std::nullopt;
    }
    std::string text = value.bstrVal ? win32::Narrow(value.bstrVal) : std::string();
    VariantClear(&value);
    return text;
  }

 private:
  ComPtr<IXMLDOMNode> node_;
};

class MsxmlDocument final : public XmlDocument {
 public:
  bool LoadFile(const std::string& path) override {
    std::wstring wide = win32::Widen(path);
    for (auto& c : wide) {
      if (c == L'/')
        c = L'\\';
    }
    Bstr name(wide.c_str());
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = name.get();
    return Load(source);
  }

  bool LoadText(std::string_view bytes) override {
    // A byte array is parsed as the file would be: the encoding comes from
    // the byte-order mark or the declaration.
    doc_.Reset();
    if (bytes.empty() || bytes.size() > ULONG_MAX)
      return false;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array)
      return false;
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_ARRAY | VT_UI1;
    source.parray = array;  // VariantClear destroys it
    void* data = nullptr;
    bool loaded = false;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
      std::memcpy(data, bytes.data(), bytes.size());
      SafeArrayUnaccessData(array);
      loaded = Load(source);
    }
    VariantClear(&source);
    return loaded;
  }

  std::unique_ptr<XmlElement> DocumentElement() const override {
    if (!doc_)
      return nullptr;
    ComPtr<IXMLDOMElement> root;
    if (FAILED(doc_->get_documentElement(root.Put())) || !root)
      return nullptr;
    return std::make_unique<MsxmlElement>(root.As<IXMLDOMNode>(IID_IXMLDOMNode));
  }

 private:
  bool Load(const VARIANT& source) {
    doc_.Reset();
    if (!Create())
      return false;
    doc_->put_async(VARIANT_FALSE);
    doc_->put_validateOnParse(VARIANT_FALSE);
    doc_->put_resolveExternals(VARIANT_FALSE);
    // A block has no document type. MSXML 6 prohibits one by default,
    // MSXML 3 allows it and expands its entities unless told otherwise; the
    // property is set before the load, on either; a parser that refuses it
    // reads nothing.
    if (!ProhibitDtd()) {
      doc_.Reset();
      return false;
    }
    VARIANT_BOOL ok = VARIANT_FALSE;
    const HRESULT hr = doc_->load(source, &ok);
    if (FAILED(hr) || ok != VARIANT_TRUE || HasDocumentType()) {
      doc_.Reset();
      return false;
    }
    ComPtr<IXMLDOMElement> root;
    if (FAILED(doc_->get_documentElement(root.Put())) || !root) {
      doc_.Reset();
      return false;
    }
    return true;
  }

  bool ProhibitDtd() {
    const auto doc2 = doc_.As<IXMLDOMDocument2>(kIidXmlDomDocument2);
    if (!doc2)
      return false;
    Bstr name(L"ProhibitDTD");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_TRUE;
    return SUCCEEDED(doc2->setProperty(name.get(), value));
  }

  // A parser that takes the property but does not honour it (Wine's MSXML
  // accepts it and parses the document type all the same) still shows what
  // it parsed: a loaded document with one is refused here.
  bool HasDocumentType() const {
    ComPtr<IXMLDOMDocumentType> doctype;
    const HRESULT hr = doc_->get_doctype(doctype.Put());
    return FAILED(hr) || doctype;
  }

  bool Create() {
    // The newest parser the system has; every Windows since XP has 3.0.
    for (const wchar_t* progid : {L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.3.0"}) {
      CLSID clsid;
      if (FAILED(CLSIDFromProgID(progid, &clsid)))
        continue;
      if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                     reinterpret_cast<void**>(doc_.Put()))))
        return true;
    }
    return false;
  }

  ComPtr<IXMLDOMDocument> doc_;
};

}  // namespace

std::unique_ptr<XmlDocument> CreateXmlDocument() {
  return std::make_unique<MsxmlDocument>();
}

}  // namespace zentivo::config
