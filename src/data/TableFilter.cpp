// The table engine's record filter, bound controls and listeners.
#include "data/TableImpl.h"

// ---------------------------------------------------------------------------
// Filter

void TTable::SetOnFilterRecord(TFilterRecordEvent callback)
{
    P->OnFilter = std::move(callback);
    if (P->Data && P->Filtered) {
        CheckBrowseMode();
        P->RebuildView(true);
        P->Dispatch();
    }
}

const TFilterRecordEvent& TTable::OnFilterRecord() const { return P->OnFilter; }
bool TTable::Filtered() const { return P->Filtered; }

void TTable::SetFiltered(bool on)
{
    if (!on && !P->Filtered)
        return;
    if (!P->Data) {
        P->Filtered = on;
        return;
    }
    CheckBrowseMode();
    bool was = P->Filtered;
    P->Filtered = on;
    try {
        P->RebuildView(true);
    } catch (...) {
        P->Filtered = was;
        throw;
    }
    P->Dispatch();
}

// ---------------------------------------------------------------------------
// Bound controls

void TTable::DisableControls() { ++P->DisableCount; }

void TTable::EnableControls()
{
    if (P->DisableCount == 0)
        return;
    if (--P->DisableCount > 0)
        return;
    P->Notice = TImpl::nkNone;
    P->CurrentMoved = false;
    auto listeners = P->Listeners;
    for (ITableListener* l : listeners)
        l->DataReset(*this);
    int row = P->CurrentRow();
    for (ITableListener* l : listeners)
        l->CurrentChanged(*this, row);
    if (OnDataChange)
        OnDataChange(*this);
}

bool TTable::ControlsDisabled() const { return P->DisableCount > 0; }

void TTable::AddListener(ITableListener* listener)
{
    auto& v = P->Listeners;
    if (listener && std::find(v.begin(), v.end(), listener) == v.end())
        v.push_back(listener);
}

void TTable::RemoveListener(ITableListener* listener)
{
    auto& v = P->Listeners;
    v.erase(std::remove(v.begin(), v.end(), listener), v.end());
}

