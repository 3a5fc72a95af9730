#include "com/dispatch.h"

#include "com/excelfailures.h"

#include <cstdint>

namespace kw::com {

namespace {

constexpr LCID neutralLocale = 0; // the locale argument of every call

[[noreturn]] void callFailed(const std::string& member, HRESULT hr, const EXCEPINFO* info) {
    std::string description;
    HRESULT code = hr;
    if (info != nullptr) {
        description = narrowText(info->bstrDescription);
        if (FAILED(info->scode)) {
            code = info->scode;
        }
    }
    throw CallError{
        code, callMessage(member, description, systemText(code), static_cast<std::uint32_t>(code))};
}

// One call of a member by name: GetIDsOfNames, then Invoke with the arguments (given here in
// their natural order) in reverse order, as IDispatch takes them.
Variant invoke(const Object& object, std::wstring_view name, WORD flags,
               std::vector<Variant> arguments) {
    const std::string member = object.member(name);
    std::wstring terminated(name);
    LPOLESTR names[] = {terminated.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object.get()->GetIDsOfNames(IID_NULL, names, 1, neutralLocale, &id);
    if (FAILED(hr)) {
        callFailed(member, hr, nullptr);
    }
    std::vector<VARIANTARG> reversed(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        reversed[i] = arguments[arguments.size() - 1 - i].v; // still owned by `arguments`
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if ((flags & DISPATCH_PROPERTYPUT) != 0) {
        params.rgdispidNamedArgs = &named; // the value put is the named argument rgvarg[0]
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO info{};
    UINT argumentError = 0;
    hr = object.get()->Invoke(id, IID_NULL, neutralLocale, flags, &params,
                              (flags & DISPATCH_PROPERTYPUT) != 0 ? nullptr : &result.v, &info,
                              &argumentError);
    if (FAILED(hr)) {
        if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn != nullptr) {
            info.pfnDeferredFillIn(&info);
        }
        struct Clear {
            EXCEPINFO& info;
            ~Clear() {
                SysFreeString(info.bstrSource);
                SysFreeString(info.bstrDescription);
                SysFreeString(info.bstrHelpFile);
            }
        } clear{info};
        callFailed(member, hr, hr == DISP_E_EXCEPTION ? &info : nullptr);
    }
    return result;
}

Variant converted(const Object& object, std::wstring_view name, VARTYPE type) {
    Variant r = getValue(object, name);
    Variant out;
    const HRESULT hr = VariantChangeType(&out.v, &r.v, 0, type);
    if (FAILED(hr)) {
        callFailed(object.member(name), hr, nullptr);
    }
    return out;
}

} // namespace

Variant arg(long value) {
    Variant a;
    a.v.vt = VT_I4;
    a.v.lVal = value;
    return a;
}

Variant arg(std::string_view text) {
    Variant a;
    a.v.bstrVal = newBstr(text);
    a.v.vt = VT_BSTR;
    return a;
}

Variant arg(const Object& object) {
    Variant a;
    a.v.vt = VT_DISPATCH;
    a.v.pdispVal = object.get();
    if (a.v.pdispVal != nullptr) {
        a.v.pdispVal->AddRef();
    }
    return a;
}

Variant missing() {
    Variant a;
    a.v.vt = VT_ERROR;
    a.v.scode = DISP_E_PARAMNOTFOUND;
    return a;
}

Variant getValue(const Object& object, std::wstring_view name, std::vector<Variant> arguments) {
    return invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(arguments));
}

std::optional<Object> optionalObject(const Object& object, std::wstring_view name,
                                     std::vector<Variant> arguments) {
    Variant r = getValue(object, name, std::move(arguments));
    if (r.v.vt == VT_DISPATCH) {
        if (r.v.pdispVal == nullptr) {
            return std::nullopt;
        }
        return Object(std::exchange(r.v.pdispVal, nullptr), object.member(name));
    }
    if (r.v.vt == VT_UNKNOWN && r.v.punkVal != nullptr) {
        IDispatch* d = nullptr;
        if (SUCCEEDED(r.v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
            return Object(d, object.member(name));
        }
    }
    if (r.v.vt == VT_EMPTY || r.v.vt == VT_NULL || r.v.vt == VT_UNKNOWN) {
        return std::nullopt;
    }
    throw CallError{DISP_E_TYPEMISMATCH,
                    "Excel gave a value and not an object for " + object.member(name)};
}

Object getObject(const Object& object, std::wstring_view name, std::vector<Variant> arguments) {
    auto o = optionalObject(object, name, std::move(arguments));
    if (!o) {
        throw CallError{E_POINTER, "Excel gave nothing for " + object.member(name)};
    }
    return std::move(*o);
}

long getLong(const Object& object, std::wstring_view name) {
    return converted(object, name, VT_I4).v.lVal;
}

std::string getText(const Object& object, std::wstring_view name) {
    return narrowText(converted(object, name, VT_BSTR).v.bstrVal);
}

void put(const Object& object, std::wstring_view name, Variant value) {
    invoke(object, name, DISPATCH_PROPERTYPUT, args(std::move(value)));
}

void call(const Object& object, std::wstring_view name, std::vector<Variant> arguments) {
    invoke(object, name, DISPATCH_METHOD, std::move(arguments));
}

bool hasMember(const Object& object, std::wstring_view name) {
    std::wstring terminated(name);
    LPOLESTR names[] = {terminated.data()};
    DISPID id = DISPID_UNKNOWN;
    return SUCCEEDED(object.get()->GetIDsOfNames(IID_NULL, names, 1, neutralLocale, &id));
}

std::vector<std::string> namesOf(const Object& collection) {
    const long n = getLong(collection, L"Count");
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    for (long i = 1; i <= n; ++i) {
        names.push_back(getText(getObject(collection, L"Item", args(arg(i))), L"Name"));
    }
    return names;
}

} // namespace kw::com
