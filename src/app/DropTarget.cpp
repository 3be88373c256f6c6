#include "app/DropTarget.h"

#include <utility>

#include "text/Primitives.h"

namespace velmora {

namespace {

constexpr char kLineBreak[] = "\r\n";

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

Text DroppedPath(HDROP drop, UINT index) {
    const UINT length = DragQueryFileA(drop, index, nullptr, 0);
    if (length == 0) return Text();
    Text path = BlankText(int(length) + 1);
    DragQueryFileA(drop, index, path.MutableData(), length + 1);
    return Text::UpToZero(path.Data());
}

bool HoldsFileList(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

// The COM object RegisterDragDrop wants; everything else is plain routines.
class FileDropTarget final : public IDropTarget {
public:
    explicit FileDropTarget(DropReceiver receive) : receive_(std::move(receive)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return ULONG(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting_ = HoldsFileList(data);
        *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepting_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting_ = false;
        *effect = DROPEFFECT_NONE;
        FORMATETC format = FileListFormat();
        STGMEDIUM medium = {};
        if (!data || data->GetData(&format, &medium) != S_OK) return S_OK;
        // DragQueryFileA takes the memory handle itself and locks it.
        Text paths = DroppedPaths(static_cast<HDROP>(medium.hGlobal));
        ReleaseStgMedium(&medium);
        *effect = DROPEFFECT_COPY;
        receive_(paths);
        return S_OK;
    }

private:
    ~FileDropTarget() = default;

    LONG references_ = 1;
    bool accepting_ = false;
    DropReceiver receive_;
};

}  // namespace

IDropTarget* NewFileDropTarget(DropReceiver receive) { return new FileDropTarget(std::move(receive)); }

bool RegisterFileDrop(HWND window, DropReceiver receive) {
    IDropTarget* target = NewFileDropTarget(std::move(receive));
    HRESULT result = RegisterDragDrop(window, target);
    target->Release();  // the registration holds its own reference
    return SUCCEEDED(result);
}

void RevokeFileDrop(HWND window) { RevokeDragDrop(window); }

Text DroppedPaths(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 1) return DroppedPath(drop, 0);
    Text paths;
    for (UINT i = 0; i < count; ++i) paths = ConcatText(paths, DroppedPath(drop, i), kLineBreak);
    return paths;
}

}  // namespace velmora
