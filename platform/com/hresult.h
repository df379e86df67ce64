#pragma once
// Status codes of COM calls. Success codes are non-negative; S_FALSE is a success that callers
// often must not mistake for S_OK.
#include <cstdint>

using HRESULT = std::int32_t;

constexpr HRESULT MakeFailure(std::uint32_t code) { return static_cast<HRESULT>(code); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeFailure(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeFailure(0x80004002u);
constexpr HRESULT E_POINTER = MakeFailure(0x80004003u);
constexpr HRESULT E_FAIL = MakeFailure(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeFailure(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = MakeFailure(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = MakeFailure(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeFailure(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeFailure(0x80040110u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeFailure(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeFailure(0x800401F0u);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeFailure(0x80020005u);
// Win32 errors as the kernel-streaming proxy reports them.
constexpr HRESULT HRESULT_FROM_WIN32_GEN_FAILURE = MakeFailure(0x8007001Fu);       // device not functioning
constexpr HRESULT HRESULT_FROM_WIN32_NOT_FOUND = MakeFailure(0x80070490u);         // ERROR_NOT_FOUND
constexpr HRESULT HRESULT_FROM_WIN32_SET_NOT_FOUND = MakeFailure(0x80070492u);     // ERROR_SET_NOT_FOUND
constexpr HRESULT HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED = MakeFailure(0x8007048Fu);
constexpr HRESULT HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER = MakeFailure(0x8007007Au);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
