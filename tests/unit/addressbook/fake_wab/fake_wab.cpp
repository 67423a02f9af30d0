// The stand-in library: WABOpen over the contacts of fakewab::State.
#include "fake_wab.h"

#include "platform/com/ref_counted.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace fakewab {
namespace {

using qv::com::ComPtr;
using qv::com::RefCounted;

State g_state;

constexpr ULONG kPabIndex = 0xFFFFFFFFu;

// Every answer goes through here: the configured failure, or success.
HRESULT Answer(Call call) {
    const int made = g_state.calls[std::size_t(call)]++;
    if (call == g_state.failCall && made == g_state.failAfter)
        return g_state.failStatus;
    return S_OK;
}

// Buffers as the session hands them out: roots, each with the buffers
// AllocateMore tied to it.
class Memory {
public:
    void* Allocate(std::size_t size) {
        void* buffer = std::calloc(1, size == 0 ? 1 : size);
        roots_[buffer];
        ++g_state.buffers;
        return buffer;
    }
    void* More(std::size_t size, void* parent) {
        auto root = roots_.find(parent);
        if (root == roots_.end())
            return nullptr;
        void* buffer = std::calloc(1, size == 0 ? 1 : size);
        root->second.push_back(buffer);
        return buffer;
    }
    char* Text(const std::string& text, void* parent) {
        auto* copy = static_cast<char*>(More(text.size() + 1, parent));
        std::memcpy(copy, text.c_str(), text.size() + 1);
        return copy;
    }
    bool Free(void* buffer) {
        auto root = roots_.find(buffer);
        if (root == roots_.end())
            return false;
        for (void* child : root->second)
            std::free(child);
        std::free(buffer);
        roots_.erase(root);
        --g_state.buffers;
        return true;
    }

private:
    std::map<void*, std::vector<void*>> roots_;
};

Memory g_memory;

// An entry id of eight bytes: four flag bytes, then the contact's index.
SBinary MakeEntryId(ULONG index, void* parent) {
    auto* bytes = static_cast<BYTE*>(g_memory.More(8, parent));
    std::memcpy(bytes + 4, &index, sizeof index);
    return SBinary{8, bytes};
}

bool ReadEntryId(ULONG size, const ENTRYID* id, ULONG& index) {
    if (size != 8 || id == nullptr)
        return false;
    std::memcpy(&index, reinterpret_cast<const BYTE*>(id) + 4, sizeof index);
    return true;
}

template <class... Interfaces> class Counted : public RefCounted<Interfaces...> {
public:
    Counted() { ++g_state.objects; }
    ~Counted() override { --g_state.objects; }
};

template <class Top> bool Offers(REFIID iid) {
    return iid == IID_IUnknown || iid == Top::Iid();
}

class WabObject : public Counted<IWABObject> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!Offers<IWABObject>(iid))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IWABObject*>(this);
        return S_OK;
    }
    HRESULT AllocateBuffer(ULONG size, void** buffer) override {
        *buffer = g_memory.Allocate(size);
        return S_OK;
    }
    HRESULT AllocateMore(ULONG size, void* parent, void** buffer) override {
        *buffer = g_memory.More(size, parent);
        return *buffer ? S_OK : MAPI_E_INVALID_PARAMETER;
    }
    HRESULT FreeBuffer(void* buffer) override {
        if (buffer != nullptr && !g_memory.Free(buffer))
            ++g_state.badFrees;
        return S_OK;
    }
};

// A contact or list: its properties, texts first.
class Entry : public Counted<IMailUser> {
public:
    explicit Entry(Contact contact) : contact_(std::move(contact)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        // A list is offered as a property object only.
        const bool list = contact_.type == MAPI_DISTLIST;
        if (!(Offers<IMAPIProp>(iid) || (!list && iid == IID_IMailUser)))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IMailUser*>(this);
        return S_OK;
    }
    HRESULT GetProps(LPSPropTagArray, ULONG, ULONG* count, LPSPropValue* props) override {
        *count = 0;
        *props = nullptr;
        const HRESULT status = Answer(Call::GetProps);
        if (FAILED(status))
            return status;
        std::vector<std::pair<ULONG, std::string>> texts = contact_.texts;
        texts.insert(texts.begin(), {PR_DISPLAY_NAME_A, contact_.name});
        const ULONG n = ULONG(texts.size()) + 1;
        auto* values = static_cast<SPropValue*>(g_memory.Allocate(n * sizeof(SPropValue)));
        for (ULONG i = 0; i < texts.size(); ++i) {
            values[i].ulPropTag = texts[i].first;
            values[i].Value.lpszA =
                contact_.nullTexts ? nullptr : g_memory.Text(texts[i].second, values);
        }
        values[n - 1].ulPropTag = PR_OBJECT_TYPE;
        values[n - 1].Value.ul = contact_.type;
        *count = n;
        *props = values;
        return status;
    }

private:
    Contact contact_;
};

class Table : public Counted<IMAPITable> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!Offers<IMAPITable>(iid))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IMAPITable*>(this);
        return S_OK;
    }
    HRESULT SetColumns(LPSPropTagArray columns, ULONG) override {
        const HRESULT status = Answer(Call::SetColumns);
        if (FAILED(status))
            return status;
        columns_.assign(columns->aulPropTag, columns->aulPropTag + columns->cValues);
        return status;
    }
    HRESULT SeekRow(BOOKMARK origin, LONG rowCount, LONG* rowsSought) override {
        const HRESULT status = Answer(Call::SeekRow);
        if (FAILED(status))
            return status;
        if (origin != BOOKMARK_BEGINNING || rowCount != 0)
            return MAPI_E_INVALID_BOOKMARK;
        cursor_ = 0;
        if (rowsSought)
            *rowsSought = 0;
        return status;
    }
    HRESULT QueryRows(LONG rowCount, ULONG, LPSRowSet* rows) override {
        *rows = nullptr;
        const HRESULT status = Answer(Call::QueryRows);
        if (FAILED(status))
            return status;
        // Columns as asked for, in the order this program uses.
        const std::vector<ULONG> expected = {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
        if (columns_ != expected || rowCount != 1)
            return MAPI_E_INVALID_PARAMETER;
        const auto& contacts = g_state.contacts;
        if (cursor_ >= contacts.size() && g_state.nullRowSetAtEnd)
            return status;
        auto* set = static_cast<SRowSet*>(g_memory.Allocate(CbNewSRowSet(1)));
        *rows = set;
        if (cursor_ >= contacts.size())
            return status;
        const ULONG index = ULONG(cursor_++);
        const Contact& contact = contacts[index];
        set->cRows = 1;
        SRow& row = set->aRow[0];
        row.cValues = 3;
        if (contact.row == RowShape::NoProps)
            return status;
        auto* values = static_cast<SPropValue*>(g_memory.Allocate(3 * sizeof(SPropValue)));
        row.lpProps = values;
        values[0].ulPropTag = PR_DISPLAY_NAME_A;
        values[0].Value.lpszA = g_memory.Text(contact.name, values);
        values[1].ulPropTag = PR_ENTRYID;
        values[1].Value.bin = MakeEntryId(index, values);
        values[2].ulPropTag = PR_OBJECT_TYPE;
        values[2].Value.ul = contact.type;
        switch (contact.row) {
        case RowShape::Normal:
        case RowShape::NoProps:
            break;
        case RowShape::OneColumn:
            row.cValues = 1;
            break;
        case RowShape::NameMissing:
            values[0].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_NAME_A));
            values[0].Value.err = MAPI_E_NOT_FOUND;
            break;
        case RowShape::NullName:
            values[0].Value.lpszA = nullptr;
            break;
        case RowShape::EntryIdAsLong:
            values[1].ulPropTag = PROP_TAG(PT_LONG, PROP_ID(PR_ENTRYID));
            values[1].Value.l = LONG(index);
            break;
        case RowShape::EmptyEntryId:
            values[1].Value.bin.cb = 0;
            break;
        case RowShape::BadEntryId:
            values[1].Value.bin.cb = 2;
            break;
        case RowShape::TypeMissing:
            values[2].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE));
            values[2].Value.err = MAPI_E_NOT_FOUND;
            break;
        }
        return status;
    }
    HRESULT GetRowCount(ULONG, ULONG* count) override {
        *count = ULONG(g_state.contacts.size());
        return S_OK;
    }

private:
    std::vector<ULONG> columns_;
    std::size_t cursor_ = 0;
};

class Container : public Counted<IABContainer> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!(Offers<IMAPIProp>(iid) || iid == IID_IMAPIContainer || iid == IID_IABContainer))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IABContainer*>(this);
        return S_OK;
    }
    HRESULT GetProps(LPSPropTagArray, ULONG, ULONG* count, LPSPropValue* props) override {
        *count = 0;
        *props = nullptr;
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT GetContentsTable(ULONG, IMAPITable** table) override {
        *table = nullptr;
        const HRESULT status = Answer(Call::GetContentsTable);
        if (FAILED(status))
            return status;
        *table = qv::com::MakeCom<Table>().detach();
        return status;
    }
};

class AddrBook : public Counted<IAddrBook> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!Offers<IAddrBook>(iid))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IAddrBook*>(this);
        return S_OK;
    }
    HRESULT OpenEntry(ULONG cbEntryId, LPENTRYID entryId, const IID* iid, ULONG, ULONG* objectType,
                      IUnknown** object) override {
        *object = nullptr;
        ULONG index = 0;
        const bool pab = ReadEntryId(cbEntryId, entryId, index) && index == kPabIndex;
        const HRESULT status = Answer(pab ? Call::OpenPab : Call::OpenContact);
        if (FAILED(status))
            return status;
        if (iid != nullptr)
            return MAPI_E_NO_SUPPORT; // the program asks for the natural interface
        if (pab) {
            *objectType = MAPI_ABCONT;
            ComPtr<IABContainer> container = qv::com::MakeCom<Container>();
            *object = container.detach();
            return status;
        }
        if (!ReadEntryId(cbEntryId, entryId, index) || index >= g_state.contacts.size())
            return MAPI_E_INVALID_ENTRYID;
        const Contact& contact = g_state.contacts[index];
        *objectType = contact.type;
        ComPtr<IMailUser> entry = qv::com::MakeCom<Entry>(contact);
        *object = entry.detach();
        return status;
    }
    HRESULT GetPAB(ULONG* cbEntryId, LPENTRYID* entryId) override {
        *cbEntryId = 0;
        *entryId = nullptr;
        const HRESULT status = Answer(Call::GetPAB);
        if (FAILED(status))
            return status;
        auto* id = static_cast<BYTE*>(g_memory.Allocate(8));
        std::memcpy(id + 4, &kPabIndex, sizeof kPabIndex);
        *cbEntryId = 8;
        *entryId = reinterpret_cast<LPENTRYID>(id);
        return status;
    }
};

} // namespace
} // namespace fakewab

extern "C" {

__attribute__((visibility("default"))) fakewab::State* FakeWabState() {
    return &fakewab::g_state;
}

__attribute__((visibility("default"))) HRESULT WABOpen(IAddrBook** addrBook, IWABObject** wabObject,
                                                       WAB_PARAM* param, DWORD) {
    using namespace fakewab;
    *addrBook = nullptr;
    *wabObject = nullptr;
    if (param == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    g_state.fileNameNull = param->szFileName == nullptr;
    g_state.paramSize = param->cbSize;
    const HRESULT status = Answer(Call::WABOpen);
    if (FAILED(status))
        return status;
    *addrBook = qv::com::MakeCom<AddrBook>().detach();
    *wabObject = qv::com::MakeCom<WabObject>().detach();
    return status;
}
}
