// WABOpen and the objects it hands out. Every object holds the book and the
// session's memory through shared pointers, so callers may release them in
// any order. No exception leaves through an interface method.
#include "book.h"
#include "memory.h"
#include "platform/com/ref_counted.h"
#include "platform/wab/wab.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

namespace qv::wab {
namespace {

constexpr std::string_view kContainerName = "Contacts";

// Entry ids: the four flag bytes (zero), our signature, a kind byte and the
// card's index in the book, little-endian.
constexpr BYTE kSignature[4] = {'Q', 'V', 'W', 'B'};
constexpr BYTE kKindContainer = 1;
constexpr BYTE kKindEntry = 2;
constexpr ULONG kEntryIdSize = 13;
// More columns or tags than any caller needs: refused rather than allocated.
constexpr ULONG kMaxTags = 4096;

std::vector<BYTE> MakeEntryId(BYTE kind, ULONG index) {
    std::vector<BYTE> id(kEntryIdSize, 0);
    std::memcpy(id.data() + 4, kSignature, 4);
    id[8] = kind;
    for (int i = 0; i < 4; ++i)
        id[9 + i] = BYTE(index >> (8 * i));
    return id;
}

bool ParseEntryId(ULONG cb, const ENTRYID* entryId, BYTE& kind, ULONG& index) {
    if (cb != kEntryIdSize)
        return false;
    const auto* bytes = reinterpret_cast<const BYTE*>(entryId);
    if (bytes[0] || bytes[1] || bytes[2] || bytes[3] || std::memcmp(bytes + 4, kSignature, 4))
        return false;
    kind = bytes[8];
    index = 0;
    for (int i = 0; i < 4; ++i)
        index |= ULONG(bytes[9 + i]) << (8 * i);
    return kind == kKindContainer ? index == 0 : kind == kKindEntry;
}

template <class F> HRESULT Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return MAPI_E_CALL_FAILED;
    }
}

struct Session {
    std::shared_ptr<Allocator> memory;
    std::shared_ptr<const Book> book;
};

// One property as the objects know it, before it is copied out.
struct Prop {
    ULONG tag;
    LONG number = 0;
    std::string_view text; // into the book
    std::vector<BYTE> binary;
};

std::vector<Prop> ContainerProps() {
    std::vector<Prop> props;
    props.push_back({PR_ENTRYID, 0, {}, MakeEntryId(kKindContainer, 0)});
    props.push_back({PR_OBJECT_TYPE, LONG(MAPI_ABCONT), {}, {}});
    props.push_back({PR_DISPLAY_NAME_A, 0, kContainerName, {}});
    return props;
}

std::vector<Prop> EntryProps(const Book& book, ULONG index) {
    const Contact& c = book.contacts[index];
    std::vector<Prop> props;
    props.reserve(c.texts.size() + 2);
    props.push_back({PR_ENTRYID, 0, {}, MakeEntryId(kKindEntry, index)});
    props.push_back({PR_OBJECT_TYPE, LONG(c.distList ? MAPI_DISTLIST : MAPI_MAILUSER), {}, {}});
    for (const auto& t : c.texts)
        props.push_back({t.tag, 0, t.value, {}});
    return props;
}

// A tag of type PT_UNSPECIFIED asks for the property in whatever type it has.
const Prop* FindProp(const std::vector<Prop>& props, ULONG tag) {
    for (const auto& p : props)
        if (PROP_ID(p.tag) == PROP_ID(tag) &&
            (PROP_TYPE(tag) == PT_UNSPECIFIED || PROP_TYPE(tag) == PROP_TYPE(p.tag)))
            return &p;
    return nullptr;
}

struct Slot {
    ULONG tag;        // as asked for
    const Prop* prop; // null: missing
};

// One AllocateBuffer block for the values with their texts and binaries
// behind them: a lookup reads every contact, and one allocation each keeps
// that cheap.
HRESULT CopyOut(Allocator& memory, const std::vector<Slot>& slots, LPSPropValue* out) {
    std::size_t size = slots.size() * sizeof(SPropValue);
    for (const Slot& slot : slots) {
        if (!slot.prop)
            continue;
        if (PROP_TYPE(slot.prop->tag) == PT_STRING8)
            size += slot.prop->text.size() + 1;
        else if (PROP_TYPE(slot.prop->tag) == PT_BINARY)
            size += slot.prop->binary.size();
    }
    if (size > Allocator::kMaxBlock)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    void* block = nullptr;
    const HRESULT hr = memory.Allocate(ULONG(size), &block);
    if (FAILED(hr))
        return hr;
    auto* values = static_cast<SPropValue*>(block);
    char* data = reinterpret_cast<char*>(values + slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        SPropValue& v = values[i];
        std::memset(&v, 0, sizeof v);
        const Prop* p = slots[i].prop;
        if (!p) {
            v.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(slots[i].tag));
            v.Value.err = MAPI_E_NOT_FOUND;
            continue;
        }
        v.ulPropTag = p->tag;
        switch (PROP_TYPE(p->tag)) {
        case PT_STRING8:
            std::memcpy(data, p->text.data(), p->text.size());
            data[p->text.size()] = '\0';
            v.Value.lpszA = data;
            data += p->text.size() + 1;
            break;
        case PT_BINARY:
            std::memcpy(data, p->binary.data(), p->binary.size());
            v.Value.bin.cb = ULONG(p->binary.size());
            v.Value.bin.lpb = reinterpret_cast<BYTE*>(data);
            data += p->binary.size();
            break;
        default:
            v.Value.l = p->number;
            break;
        }
    }
    *out = values;
    return S_OK;
}

HRESULT GetPropsOf(Allocator& memory, const std::vector<Prop>& all, const SPropTagArray* tags,
                   ULONG* count, LPSPropValue* props) {
    if (!count || !props)
        return MAPI_E_INVALID_PARAMETER;
    *count = 0;
    *props = nullptr;
    if (tags && tags->cValues > kMaxTags)
        return MAPI_E_INVALID_PARAMETER;
    std::vector<Slot> slots;
    bool missing = false;
    if (!tags) {
        for (const auto& p : all)
            slots.push_back({p.tag, &p});
    } else {
        for (ULONG i = 0; i < tags->cValues; ++i) {
            const Prop* p = FindProp(all, tags->aulPropTag[i]);
            missing |= p == nullptr;
            slots.push_back({tags->aulPropTag[i], p});
        }
    }
    HRESULT hr = CopyOut(memory, slots, props);
    if (FAILED(hr))
        return hr;
    *count = ULONG(slots.size());
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

// QueryInterface over a list of accepted ids, all answered by one pointer
// (every interface here derives in a single line from IUnknown).
HRESULT Answer(IUnknown* self, REFIID iid, std::initializer_list<const IID*> accepted,
               void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const IID* id : accepted) {
        if (iid == *id) {
            self->AddRef();
            *object = self;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

template <class Interface> class EntryObject final : public com::RefCounted<Interface> {
public:
    EntryObject(Session session, ULONG index) : session_(std::move(session)), index_(index) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return Answer(this, iid, {&IID_IUnknown, &IID_IMAPIProp, &Interface::Iid()}, object);
    }
    HRESULT GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* props) override {
        return Guarded([&] {
            return GetPropsOf(*session_.memory, EntryProps(*session_.book, index_), tags, count,
                              props);
        });
    }

private:
    Session session_;
    ULONG index_;
};

class Table final : public com::RefCounted<IMAPITable> {
public:
    explicit Table(Session session) : session_(std::move(session)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return Answer(this, iid, {&IID_IUnknown, &IID_IMAPITable}, object);
    }

    HRESULT SetColumns(LPSPropTagArray columns, ULONG) override {
        if (!columns || columns->cValues > kMaxTags)
            return MAPI_E_INVALID_PARAMETER;
        return Guarded([&] {
            std::vector<ULONG> list(columns->aulPropTag, columns->aulPropTag + columns->cValues);
            std::lock_guard lock(mutex_);
            columns_ = std::move(list);
            return S_OK;
        });
    }

    HRESULT SeekRow(BOOKMARK origin, LONG rowCount, LONG* rowsSought) override {
        std::lock_guard lock(mutex_);
        const auto rows = static_cast<std::int64_t>(RowCount());
        std::int64_t base;
        switch (origin) {
        case BOOKMARK_BEGINNING:
            base = 0;
            break;
        case BOOKMARK_CURRENT:
            base = static_cast<std::int64_t>(cursor_);
            break;
        case BOOKMARK_END:
            base = rows;
            break;
        default:
            return MAPI_E_INVALID_BOOKMARK;
        }
        const std::int64_t target = std::clamp<std::int64_t>(base + rowCount, 0, rows);
        cursor_ = static_cast<ULONG>(target);
        if (rowsSought)
            *rowsSought = static_cast<LONG>(target - base);
        return S_OK;
    }

    HRESULT QueryRows(LONG rowCount, ULONG, LPSRowSet* rows) override {
        if (!rows)
            return MAPI_E_INVALID_PARAMETER;
        *rows = nullptr;
        if (rowCount <= 0)
            return MAPI_E_INVALID_PARAMETER;
        return Guarded([&] { return Query(ULONG(rowCount), rows); });
    }

    HRESULT GetRowCount(ULONG, ULONG* count) override {
        if (!count)
            return MAPI_E_INVALID_PARAMETER;
        *count = RowCount();
        return S_OK;
    }

private:
    ULONG RowCount() const { return ULONG(session_.book->contacts.size()); }

    HRESULT Query(ULONG wanted, LPSRowSet* out) {
        std::lock_guard lock(mutex_);
        Allocator& memory = *session_.memory;
        const ULONG n = std::min(wanted, RowCount() - cursor_);
        void* block = nullptr;
        HRESULT hr = memory.Allocate(CbNewSRowSet(n), &block);
        if (FAILED(hr))
            return hr;
        auto* set = static_cast<SRowSet*>(block);
        set->cRows = 0;
        std::vector<Slot> slots;
        for (ULONG r = 0; r < n; ++r) {
            const std::vector<Prop> props = EntryProps(*session_.book, cursor_ + r);
            slots.clear();
            for (ULONG tag : columns_)
                slots.push_back({tag, FindProp(props, tag)});
            SRow& row = set->aRow[r];
            row.ulAdrEntryPad = 0;
            row.cValues = 0;
            row.lpProps = nullptr;
            hr = CopyOut(memory, slots, &row.lpProps);
            if (FAILED(hr)) {
                for (ULONG k = 0; k < r; ++k)
                    memory.Free(set->aRow[k].lpProps);
                memory.Free(block);
                return hr;
            }
            row.cValues = ULONG(slots.size());
        }
        set->cRows = n;
        cursor_ += n;
        *out = set;
        return S_OK;
    }

    Session session_;
    std::mutex mutex_;
    std::vector<ULONG> columns_{PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
    ULONG cursor_ = 0;
};

class Container final : public com::RefCounted<IABContainer> {
public:
    explicit Container(Session session) : session_(std::move(session)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return Answer(this, iid,
                      {&IID_IUnknown, &IID_IMAPIProp, &IID_IMAPIContainer, &IID_IABContainer},
                      object);
    }
    HRESULT GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* props) override {
        return Guarded(
            [&] { return GetPropsOf(*session_.memory, ContainerProps(), tags, count, props); });
    }
    HRESULT GetContentsTable(ULONG, IMAPITable** table) override {
        if (!table)
            return MAPI_E_INVALID_PARAMETER;
        *table = nullptr;
        return Guarded([&] {
            *table = com::MakeCom<Table>(session_).detach();
            return S_OK;
        });
    }

private:
    Session session_;
};

class AddrBook final : public com::RefCounted<IAddrBook> {
public:
    explicit AddrBook(Session session) : session_(std::move(session)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return Answer(this, iid, {&IID_IUnknown, &IID_IAddrBook}, object);
    }

    HRESULT OpenEntry(ULONG cbEntryId, LPENTRYID entryId, const IID* iid, ULONG, ULONG* objectType,
                      IUnknown** object) override {
        if (!objectType || !object)
            return MAPI_E_INVALID_PARAMETER;
        *object = nullptr;
        BYTE kind = kKindContainer;
        ULONG index = 0;
        if (cbEntryId != 0 && entryId) {
            if (!ParseEntryId(cbEntryId, entryId, kind, index))
                return MAPI_E_INVALID_ENTRYID;
            if (kind == kKindEntry && index >= session_.book->contacts.size())
                return MAPI_E_INVALID_ENTRYID;
        }
        return Guarded([&] {
            com::ComPtr<IUnknown> opened;
            ULONG type;
            if (kind == kKindContainer) {
                opened = com::MakeCom<Container>(session_);
                type = MAPI_ABCONT;
            } else if (session_.book->contacts[index].distList) {
                opened = com::MakeCom<EntryObject<IDistList>>(session_, index);
                type = MAPI_DISTLIST;
            } else {
                opened = com::MakeCom<EntryObject<IMailUser>>(session_, index);
                type = MAPI_MAILUSER;
            }
            if (iid) {
                // Only what the object itself answers; the pointer stays the same.
                void* asked = nullptr;
                if (FAILED(opened->QueryInterface(*iid, &asked)))
                    return E_NOINTERFACE;
                opened->Release();
            }
            *objectType = type;
            *object = opened.detach();
            return S_OK;
        });
    }

    HRESULT GetPAB(ULONG* cbEntryId, LPENTRYID* entryId) override {
        if (!cbEntryId || !entryId)
            return MAPI_E_INVALID_PARAMETER;
        *cbEntryId = 0;
        *entryId = nullptr;
        void* block = nullptr;
        HRESULT hr = session_.memory->Allocate(kEntryIdSize, &block);
        if (FAILED(hr))
            return hr;
        const std::vector<BYTE> id = MakeEntryId(kKindContainer, 0);
        std::memcpy(block, id.data(), id.size());
        *cbEntryId = kEntryIdSize;
        *entryId = static_cast<LPENTRYID>(block);
        return S_OK;
    }

private:
    Session session_;
};

class WabObject final : public com::RefCounted<IWABObject> {
public:
    explicit WabObject(std::shared_ptr<Allocator> memory) : memory_(std::move(memory)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return Answer(this, iid, {&IID_IUnknown, &IID_IWABObject}, object);
    }
    HRESULT AllocateBuffer(ULONG size, void** buffer) override {
        return memory_->Allocate(size, buffer);
    }
    HRESULT AllocateMore(ULONG size, void* parent, void** buffer) override {
        return memory_->AllocateMore(size, parent, buffer);
    }
    HRESULT FreeBuffer(void* buffer) override { return memory_->Free(buffer); }

private:
    std::shared_ptr<Allocator> memory_;
};

} // namespace
} // namespace qv::wab

extern "C" __attribute__((visibility("default"))) HRESULT
WABOpen(IAddrBook** addrBook, IWABObject** wabObject, WAB_PARAM* param, DWORD /*reserved*/) {
    using namespace qv::wab;
    if (!addrBook || !wabObject)
        return MAPI_E_INVALID_PARAMETER;
    if (param && param->cbSize < sizeof(WAB_PARAM))
        return MAPI_E_INVALID_PARAMETER;
    return Guarded([&]() -> HRESULT {
        const bool named = param && param->szFileName && param->szFileName[0];
        auto book = std::make_shared<Book>();
        switch (LoadBook(named ? std::string(param->szFileName) : DefaultBookPath(), *book)) {
        case LoadStatus::Ok:
            break;
        case LoadStatus::NotFound:
            if (named)
                return MAPI_E_NOT_FOUND;
            break; // no default book yet: an empty one
        case LoadStatus::Unreadable:
            return MAPI_E_CALL_FAILED;
        }
        Session session{std::make_shared<Allocator>(), std::move(book)};
        auto wab = qv::com::MakeCom<WabObject>(session.memory);
        auto ab = qv::com::MakeCom<AddrBook>(std::move(session));
        *addrBook = ab.detach();
        *wabObject = wab.detach();
        return S_OK;
    });
}
