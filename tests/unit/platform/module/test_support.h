// Shared pieces of the module tests: the compiled fixture resources and a
// writer of .res images.
#pragma once

#include "platform/module/res_image.h"
#include "platform/module/resources.h"
#include "support/support.h"

#include <memory>
#include <span>
#include <variant>
#include <vector>

namespace qv::test {

inline std::vector<std::byte> ReadFixtureRes() {
    return ReadBytes(QV_MODULE_FIXTURE_RES);
}

// The fixture module, installed as the resource handle while it lives.
class FixtureModule {
public:
    FixtureModule() : bytes_(ReadFixtureRes()), module_(qv::platform::LoadResourceModule(bytes_)) {
        previous_ = AfxGetResourceHandle();
        AfxSetResourceHandle(module_.get());
    }
    ~FixtureModule() { AfxSetResourceHandle(previous_); }
    FixtureModule(const FixtureModule&) = delete;
    FixtureModule& operator=(const FixtureModule&) = delete;

    HMODULE get() const { return module_.get(); }
    const std::vector<std::byte>& bytes() const { return bytes_; }

private:
    std::vector<std::byte> bytes_;
    std::unique_ptr<HINSTANCE__> module_;
    HINSTANCE previous_ = nullptr;
};

// Data of a resource in exactly one language, empty when missing.
inline std::span<const BYTE> ResourceData(HMODULE module, WORD type, WORD name, LANGID language) {
    const auto* entry =
        module->resources->Find(qv::platform::ResourceName::Ordinal(type),
                                qv::platform::ResourceName::Ordinal(name), language);
    return entry ? entry->data : std::span<const BYTE>{};
}

// Writes .res images by hand, for data the resource compiler will not make.
class ResBuilder {
public:
    using Name = std::variant<WORD, std::u16string>;

    ResBuilder() { Add(WORD(0), WORD(0), 0, {}); }

    ResBuilder& Add(const Name& type, const Name& name, WORD language,
                    const std::vector<BYTE>& data) {
        std::vector<BYTE> names;
        PutName(names, type);
        PutName(names, name);
        while (names.size() % 4)
            names.push_back(0);
        const std::size_t headerSize = 8 + names.size() + 16;
        Put32(bytes_, static_cast<DWORD>(data.size()));
        Put32(bytes_, static_cast<DWORD>(headerSize));
        bytes_.insert(bytes_.end(), names.begin(), names.end());
        Put32(bytes_, 0);      // data version
        Put16(bytes_, 0x1030); // memory flags
        Put16(bytes_, language);
        Put32(bytes_, 0); // version
        Put32(bytes_, 0); // characteristics
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        return *this;
    }

    std::span<const std::byte> image() const {
        return {reinterpret_cast<const std::byte*>(bytes_.data()), bytes_.size()};
    }
    std::vector<BYTE>& bytes() { return bytes_; }

    static void Put16(std::vector<BYTE>& out, WORD value) {
        out.push_back(static_cast<BYTE>(value));
        out.push_back(static_cast<BYTE>(value >> 8));
    }
    static void Put32(std::vector<BYTE>& out, DWORD value) {
        Put16(out, static_cast<WORD>(value));
        Put16(out, static_cast<WORD>(value >> 16));
    }
    static void PutString(std::vector<BYTE>& out, std::u16string_view text) {
        for (char16_t unit : text)
            Put16(out, unit);
        Put16(out, 0);
    }

private:
    static void PutName(std::vector<BYTE>& out, const Name& name) {
        if (const auto* id = std::get_if<WORD>(&name)) {
            Put16(out, 0xFFFF);
            Put16(out, *id);
        } else {
            PutString(out, std::get<std::u16string>(name));
        }
    }

    std::vector<BYTE> bytes_;
};

} // namespace qv::test
