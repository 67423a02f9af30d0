// The stand-in library: the shipped library's WABOpen over the contacts of
// fakewab::State, each object it hands out wrapped to fail, reshape and count.
#include "fake_wab.h"

#include "platform/com/ref_counted.h"

#include <cstdlib>
#include <dlfcn.h>
#include <map>
#include <unistd.h>

namespace fakewab {
namespace {

using qv::com::ComPtr;
using qv::com::MakeCom;

State g_state;

// The configured failure, or success.
HRESULT Answer(Call call) {
    const int made = g_state.calls[std::size_t(call)]++;
    return call == g_state.failCall && made == g_state.failAfter ? g_state.failStatus : S_OK;
}

// A failure replaces the call; a warning comes with the library's results.
template <class F> HRESULT Pass(Call call, F&& real) {
    const HRESULT injected = Answer(call);
    if (FAILED(injected))
        return injected;
    const HRESULT status = real();
    return status == S_OK ? injected : status;
}

void HandOut(const void* buffer) {
    g_state.buffers += buffer != nullptr;
}

// The library's object behind one of ours, which answers for it and counts.
template <class Outer, class Inner = Outer> class Wrapped : public qv::com::RefCounted<Outer> {
public:
    explicit Wrapped(ComPtr<Inner> inner) : inner_(std::move(inner)) { ++g_state.objects; }
    ~Wrapped() override { --g_state.objects; }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        const HRESULT status = inner_->QueryInterface(iid, object);
        if (status == S_OK) {
            static_cast<IUnknown*>(*object)->Release();
            this->AddRef();
            *object = static_cast<Outer*>(this);
        }
        return status;
    }

protected:
    ComPtr<Inner> inner_;
};

class WabObject : public Wrapped<IWABObject> {
public:
    using Wrapped::Wrapped;
    HRESULT AllocateBuffer(ULONG size, void** buffer) override {
        const HRESULT status = inner_->AllocateBuffer(size, buffer);
        HandOut(status == S_OK ? *buffer : nullptr);
        return status;
    }
    HRESULT AllocateMore(ULONG size, void* parent, void** buffer) override {
        return inner_->AllocateMore(size, parent, buffer);
    }
    HRESULT FreeBuffer(void* buffer) override {
        const HRESULT status = inner_->FreeBuffer(buffer);
        if (status != S_OK)
            ++g_state.badFrees;
        else if (buffer != nullptr)
            --g_state.buffers;
        return status;
    }
};

class Entry : public Wrapped<IMailUser, IMAPIProp> {
public:
    using Wrapped::Wrapped;
    HRESULT GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                     LPSPropValue* props) override {
        const HRESULT status =
            Pass(Call::GetProps, [&] { return inner_->GetProps(tags, flags, count, props); });
        if (FAILED(status))
            return status;
        HandOut(*props);
        for (ULONG i = 0; g_state.nullTexts && i < *count; ++i)
            if (PROP_TYPE((*props)[i].ulPropTag) == PT_STRING8)
                (*props)[i].Value.lpszA = nullptr;
        return status;
    }
};

// The library's row made into the shape asked for. What a row no longer
// points to is freed with the session.
void Reshape(SRow& row, RowShape shape) {
    SPropValue* values = row.lpProps;
    switch (shape) {
    case RowShape::Normal:
        break;
    case RowShape::OneColumn:
        row.cValues = 1;
        break;
    case RowShape::NoProps:
        row.lpProps = nullptr;
        break;
    case RowShape::NullName:
        values[0].ulPropTag = PR_DISPLAY_NAME_A;
        values[0].Value.lpszA = nullptr;
        break;
    case RowShape::EntryIdAsLong:
        values[1].ulPropTag = PROP_TAG(PT_LONG, PROP_ID(PR_ENTRYID));
        break;
    case RowShape::EmptyEntryId:
        values[1].Value.bin.cb = 0;
        break;
    case RowShape::BadEntryId:
        values[1].Value.bin.cb = 2;
        break;
    case RowShape::TypeMissing:
        values[2].ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE));
        break;
    }
}

class Table : public Wrapped<IMAPITable> {
public:
    using Wrapped::Wrapped;
    HRESULT SetColumns(LPSPropTagArray columns, ULONG flags) override {
        return Pass(Call::SetColumns, [&] { return inner_->SetColumns(columns, flags); });
    }
    // Rows are counted from the start, the only place the program seeks to.
    HRESULT SeekRow(BOOKMARK origin, LONG rowCount, LONG* rowsSought) override {
        row_ = 0;
        return Pass(Call::SeekRow, [&] { return inner_->SeekRow(origin, rowCount, rowsSought); });
    }
    HRESULT QueryRows(LONG rowCount, ULONG flags, LPSRowSet* rows) override {
        const HRESULT status =
            Pass(Call::QueryRows, [&] { return inner_->QueryRows(rowCount, flags, rows); });
        if (FAILED(status) || *rows == nullptr)
            return status;
        if ((*rows)->cRows == 0 && g_state.nullRowSetAtEnd) {
            *rows = nullptr;
            return status;
        }
        HandOut(*rows);
        for (ULONG i = 0; i < (*rows)->cRows; ++i, ++row_) {
            SRow& row = (*rows)->aRow[i];
            if (row_ < g_state.contacts.size())
                Reshape(row, g_state.contacts[row_].row);
            HandOut(row.lpProps);
        }
        return status;
    }
    HRESULT GetRowCount(ULONG flags, ULONG* count) override {
        return inner_->GetRowCount(flags, count);
    }

private:
    std::size_t row_ = 0;
};

class Container : public Wrapped<IABContainer> {
public:
    using Wrapped::Wrapped;
    HRESULT GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override {
        return MAPI_E_NO_SUPPORT; // the program has no use for them
    }
    HRESULT GetContentsTable(ULONG flags, IMAPITable** table) override {
        ComPtr<IMAPITable> real;
        const HRESULT status = Pass(Call::GetContentsTable,
                                    [&] { return inner_->GetContentsTable(flags, real.put()); });
        *table = real ? MakeCom<Table>(real).detach() : nullptr;
        return status;
    }
};

class AddrBook : public Wrapped<IAddrBook> {
public:
    using Wrapped::Wrapped;
    HRESULT OpenEntry(ULONG cbEntryId, LPENTRYID entryId, const IID* iid, ULONG flags,
                      ULONG* objectType, IUnknown** object) override {
        *object = nullptr;
        ComPtr<IUnknown> real;
        const HRESULT status =
            inner_->OpenEntry(cbEntryId, entryId, iid, flags, objectType, real.put());
        if (status != S_OK)
            return status;
        const bool pab = *objectType == MAPI_ABCONT;
        const HRESULT injected = Answer(pab ? Call::OpenPab : Call::OpenContact);
        if (FAILED(injected))
            return injected;
        if (pab)
            *object = MakeCom<Container>(real.As<IABContainer>()).detach();
        else
            *object = static_cast<IMailUser*>(MakeCom<Entry>(real.As<IMAPIProp>()).detach());
        return injected;
    }
    HRESULT GetPAB(ULONG* cbEntryId, LPENTRYID* entryId) override {
        const HRESULT status =
            Pass(Call::GetPAB, [&] { return inner_->GetPAB(cbEntryId, entryId); });
        HandOut(FAILED(status) ? nullptr : *entryId);
        return status;
    }
};

// The listed contacts as the vCards the library reads.
std::string Cards() {
    static const std::map<ULONG, std::string> kProperty = {
        {PR_HOME_TELEPHONE_NUMBER_A, "TEL;TYPE=home"},
        {PR_BUSINESS_TELEPHONE_NUMBER_A, "TEL;TYPE=work"},
        {PR_MOBILE_TELEPHONE_NUMBER_A, "TEL;TYPE=cell"},
        {PR_COMMENT_A, "NOTE"},
        {PR_TITLE_A, "TITLE"}};
    std::string text;
    for (const Contact& contact : g_state.contacts) {
        text += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        if (!contact.name.empty())
            text += "FN:" + contact.name + "\r\n";
        if (contact.type == MAPI_DISTLIST)
            text += "KIND:group\r\n";
        for (const auto& [tag, value] : contact.texts)
            text += kProperty.at(tag) + ":" + value + "\r\n";
        text += "END:VCARD\r\n";
    }
    return text;
}

LPWABOPEN RealOpen() {
    static void* library = ::dlopen(QV_WAB_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<LPWABOPEN>(::dlsym(library, "WABOpen")) : nullptr;
}

} // namespace
} // namespace fakewab

extern "C" {

__attribute__((visibility("default"))) fakewab::State* FakeWabState() {
    return &fakewab::g_state;
}

__attribute__((visibility("default"))) HRESULT WABOpen(IAddrBook** addrBook, IWABObject** wabObject,
                                                       WAB_PARAM* param, DWORD reserved) {
    using namespace fakewab;
    *addrBook = nullptr;
    *wabObject = nullptr;
    if (param == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    g_state.fileNameNull = param->szFileName == nullptr;
    g_state.paramSize = param->cbSize;
    const HRESULT injected = Answer(Call::WABOpen);
    if (FAILED(injected))
        return injected;
    // The book is read once, at the opening: the file can go after it.
    char path[] = "/tmp/qv-fake-wab-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0 || RealOpen() == nullptr)
        return MAPI_E_CALL_FAILED;
    const std::string cards = Cards();
    const bool written = ::write(fd, cards.data(), cards.size()) == ssize_t(cards.size());
    ::close(fd);
    WAB_PARAM named{sizeof(WAB_PARAM), nullptr, path, 0};
    ComPtr<IAddrBook> book;
    ComPtr<IWABObject> wab;
    const HRESULT status = written ? RealOpen()(book.put(), wab.put(), &named, reserved) : E_FAIL;
    ::unlink(path);
    if (status != S_OK)
        return status;
    *addrBook = MakeCom<AddrBook>(book).detach();
    *wabObject = MakeCom<WabObject>(wab).detach();
    return injected;
}
}
