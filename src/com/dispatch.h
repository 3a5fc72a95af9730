#pragma once

// Late-bound calls on Excel's object model: members called by name through IDispatch, with
// the arguments and results as variants.

#include "com/widetext.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw::com {

// A failed call of an Excel member: what the operation turns into a kw::Failure.
struct CallError {
    HRESULT hr;
    std::string message;
};

// An IDispatch reference of Excel's object model and the members that reached it (for
// messages: "ActiveWorkbook.Worksheets").
class Object {
public:
    Object() = default;
    Object(IDispatch* p, std::string path) : p_(p), path_(std::move(path)) {} // takes the reference
    Object(const Object& o) : p_(o.p_), path_(o.path_) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    Object(Object&& o) noexcept : p_(std::exchange(o.p_, nullptr)), path_(std::move(o.path_)) {}
    Object& operator=(Object o) noexcept {
        std::swap(p_, o.p_);
        std::swap(path_, o.path_);
        return *this;
    }
    ~Object() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    IDispatch* get() const { return p_; }
    const std::string& path() const { return path_; }
    std::string member(std::wstring_view name) const {
        const std::string n = narrowText(name.data(), name.size());
        return path_.empty() ? n : path_ + "." + n;
    }
    // Forgets the reference without releasing it (it belongs to another thread's apartment).
    void abandon() { p_ = nullptr; }

private:
    IDispatch* p_ = nullptr;
    std::string path_;
};

// A VARIANT that clears what it holds.
class Variant {
public:
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(Variant&& o) noexcept : v(o.v) { VariantInit(&o.v); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            VariantClear(&v);
            v = o.v;
            VariantInit(&o.v);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// Arguments of a call.
Variant arg(long value);
Variant arg(std::string_view text);
Variant arg(const Object& object);
Variant missing(); // an optional argument not given

template <class... A> std::vector<Variant> args(A&&... a) {
    std::vector<Variant> out;
    out.reserve(sizeof...(a));
    (out.push_back(std::forward<A>(a)), ...);
    return out;
}

// The calls. Every failure of Excel's, or a result of the wrong kind, is thrown as CallError
// with its message (callMessage).
//
// A property's value or a method's result.
Variant getValue(const Object& object, std::wstring_view name, std::vector<Variant> arguments = {});
// The object a member gives, or nothing (Excel's Nothing, or no value).
std::optional<Object> optionalObject(const Object& object, std::wstring_view name,
                                     std::vector<Variant> arguments = {});
// The object a member gives; nothing is a failure.
Object getObject(const Object& object, std::wstring_view name, std::vector<Variant> arguments = {});
long getLong(const Object& object, std::wstring_view name);
std::string getText(const Object& object, std::wstring_view name);
void put(const Object& object, std::wstring_view name, Variant value);
void call(const Object& object, std::wstring_view name, std::vector<Variant> arguments = {});
bool hasMember(const Object& object, std::wstring_view name);

// The names of the items of a collection (Workbooks, Sheets, Worksheets), in its order.
std::vector<std::string> namesOf(const Object& collection);

} // namespace kw::com
