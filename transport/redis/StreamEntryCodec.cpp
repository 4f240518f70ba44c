#include "transport/redis/StreamEntryCodec.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/Decimal.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/StreamEntryFields.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

using FILEEXTENT_COLLECTOR::CCollectorMessage;

namespace FILEEXTENT_REDIS
{
namespace
{
const std::uint64_t MaxU64 = std::numeric_limits<std::uint64_t>::max();
const std::uint64_t MaxMessageNumber = std::numeric_limits<unsigned long>::max();

// Names and values from outside go into messages cut short and with unprintable bytes as '?'.
std::string Printable(const std::string& text)
{
    const std::size_t limit = 64;
    std::string shown = text.substr(0, limit);
    for (char& c : shown)
    {
        if (static_cast<unsigned char>(c) < ' ' || static_cast<unsigned char>(c) > '~')
            c = '?';
    }
    return text.size() > limit ? shown + "..." : shown;
}
} // namespace

// Where each known field's value is, once seen.
struct CStreamEntryCodec::CFieldSlots
{
    static const std::size_t Count = 6;
    const char* Names[Count] = {CStreamEntryFields::Agent, CStreamEntryFields::Incarnation,
                                CStreamEntryFields::Sequence, CStreamEntryFields::Kind,
                                CStreamEntryFields::Number, CStreamEntryFields::Data};
    const std::string* Values[Count] = {};

    const std::string* Agent() const { return Values[0]; }
    const std::string* Incarnation() const { return Values[1]; }
    const std::string* Sequence() const { return Values[2]; }
    const std::string* Kind() const { return Values[3]; }
    const std::string* Number() const { return Values[4]; }
    const std::string* Data() const { return Values[5]; }
};

CZuError CStreamEntryCodec::ToFields(const CCollectorMessage& message, CStreamFields& fields)
{
    FX_RETURN_IF_ERROR(CheckMessage(message));
    try
    {
        const bool xdr = message.MessageKind == CCollectorMessage::Xdr;
        CStreamFields built;
        built.reserve(6);
        built.emplace_back(CStreamEntryFields::Agent, message.AgentId);
        built.emplace_back(CStreamEntryFields::Incarnation, std::to_string(message.Incarnation));
        built.emplace_back(CStreamEntryFields::Sequence, std::to_string(message.Sequence));
        built.emplace_back(CStreamEntryFields::Kind, xdr ? CStreamEntryFields::KindXdr : CStreamEntryFields::KindXml);
        if (xdr)
            built.emplace_back(CStreamEntryFields::Number, std::to_string(message.MessageNumber));
        built.emplace_back(CStreamEntryFields::Data, message.Payload);
        fields = std::move(built);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CStreamEntryCodec::CheckMessage(const CCollectorMessage& message)
{
    FX_RETURN_IF_ERROR(CFileExtentStreamKeys::CheckId(message.AgentId, "agent id"));
    if (message.Incarnation == 0 || message.Sequence == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "An entry's incarnation and sequence start at 1");
    return CZuError::Success();
}

CZuError CStreamEntryCodec::FromFields(const CStreamFields& fields, CCollectorMessage& message)
{
    CFieldSlots slots;
    FX_RETURN_IF_ERROR(CollectFields(fields, slots));
    FX_RETURN_IF_ERROR(CheckPresent(slots));
    try
    {
        CCollectorMessage parsed;
        FX_RETURN_IF_ERROR(ParseFields(slots, parsed));
        message = std::move(parsed);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CStreamEntryCodec::CollectFields(const CStreamFields& fields, CFieldSlots& slots)
{
    for (const std::pair<std::string, std::string>& field : fields)
    {
        std::size_t slot = 0;
        while (slot < CFieldSlots::Count && field.first != slots.Names[slot])
            ++slot;
        if (slot == CFieldSlots::Count)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Unknown entry field [%s]",
                                           Printable(field.first).c_str());
        if (slots.Values[slot])
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Entry field [%s] appears twice",
                                           slots.Names[slot]);
        slots.Values[slot] = &field.second;
    }
    return CZuError::Success();
}

CZuError CStreamEntryCodec::CheckPresent(const CFieldSlots& slots)
{
    for (std::size_t slot = 0; slot < CFieldSlots::Count; ++slot)
    {
        const bool optional = std::strcmp(slots.Names[slot], CStreamEntryFields::Number) == 0;
        if (!optional && !slots.Values[slot])
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Entry field [%s] is missing",
                                           slots.Names[slot]);
    }
    return CZuError::Success();
}

CZuError CStreamEntryCodec::ParseFields(const CFieldSlots& slots, CCollectorMessage& message)
{
    if (!CFileExtentStreamKeys::IsValidId(*slots.Agent()))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Entry field [agent]: [%s] is not a valid agent id",
                                       Printable(*slots.Agent()).c_str());
    message.AgentId = *slots.Agent();
    FX_RETURN_IF_ERROR(ParseNumber(slots.Incarnation(), CStreamEntryFields::Incarnation, 1, MaxU64,
                                   message.Incarnation));
    FX_RETURN_IF_ERROR(ParseNumber(slots.Sequence(), CStreamEntryFields::Sequence, 1, MaxU64, message.Sequence));
    const std::string& kind = *slots.Kind();
    if (kind == CStreamEntryFields::KindXdr)
    {
        if (!slots.Number())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                           "Entry field [number] is missing from an xdr entry");
        std::uint64_t number = 0;
        FX_RETURN_IF_ERROR(ParseNumber(slots.Number(), CStreamEntryFields::Number, 0, MaxMessageNumber, number));
        message.MessageKind = CCollectorMessage::Xdr;
        message.MessageNumber = static_cast<unsigned long>(number);
    }
    else if (kind == CStreamEntryFields::KindXml)
    {
        if (slots.Number())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                           "Entry field [number] belongs to xdr entries, not xml");
        message.MessageKind = CCollectorMessage::Xml;
    }
    else
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Entry field [kind]: [%s] is neither xdr nor xml", Printable(kind).c_str());
    }
    message.Payload = *slots.Data();
    return CZuError::Success();
}

CZuError CStreamEntryCodec::ParseNumber(const std::string* value, const char* field, std::uint64_t min,
                                        std::uint64_t max, std::uint64_t& number)
{
    if (!CDecimal::Parse(*value, max, number))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Entry field [%s]: [%s] is not a decimal number of at most %llu", field,
                                       Printable(*value).c_str(), static_cast<unsigned long long>(max));
    if (number < min)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "Entry field [%s] starts at %llu",
                                       field, static_cast<unsigned long long>(min));
    return CZuError::Success();
}
} // namespace FILEEXTENT_REDIS
