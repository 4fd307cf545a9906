#include "script/RegistryValue.h"

#include "script/NumberParsing.h"
#include "script/TokenList.h"

namespace {

struct ValueType {
    LPCSTR name;
    DWORD type;
};

const ValueType kValueTypes[] = {
    {"REG_DWORD", REG_DWORD},
    {"REG_SZ", REG_SZ},
    {"REG_BINARY", REG_BINARY},
};

} // namespace

CRegistryValue::CRegistryValue(LPCSTR name, LPCSTR value) : m_strValueName(name) {
    if (m_strValueName.IsEmpty())
        return;
    CTokenList fields(value, ',');
    if (fields.GetCount() == 0)
        return;

    CString typeName = fields.GetAt(0);
    for (const ValueType& type : kValueTypes) {
        if (typeName.CompareNoCase(type.name) == 0) {
            m_dwType = type.type;
            m_bValid = TRUE;
            break;
        }
    }
    if (!m_bValid || fields.GetCount() == 1)
        return;

    m_binData.RemoveAll();
    if (m_dwType == REG_SZ || m_dwType == REG_DWORD) {
        CString data = fields.GetAt(1);
        if (data.IsEmpty())
            return;
        if (m_dwType == REG_SZ)
            m_strData = data;
        else
            m_dwData = static_cast<DWORD>(DecimalValue(data));
        return;
    }
    for (int i = 1; i < fields.GetCount(); ++i)
        m_binData.Add(static_cast<BYTE>(DecimalValue(fields.GetAt(i)) & 0xFF));
}

CRegistryValue::~CRegistryValue() = default;
