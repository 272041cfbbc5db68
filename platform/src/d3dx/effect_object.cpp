// ID3DXEffect and D3DXCreateEffect: a parsed effect bound to a device,
// with its inline shaders created there, its parameter values, and the
// passes applied as device calls.

#include "d3dx/effect_buffer.h"
#include "d3dx/effect_parse.h"

#include "win32/com_object.h"

#include <d3dx8effect.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace zep::d3dx {
namespace {

using namespace fx;

struct ParameterSlot {
    std::string name;
    D3DXPARAMETERTYPE type;
    float values[16] = {};  // float: [0]; vector: [0..3]; matrix: rows, as D3DXMATRIX holds them
    DWORD dword = 0;
    IDirect3DBaseTexture8* texture = nullptr;
    DWORD shader = 0;       // vertex or pixel shader handle (or an FVF code)
    int shaderSource = -1;  // the inline shader the handle came from, if any
    std::string text;
};

// A device state as it was before Begin, put back by End.
struct SavedState {
    StateKind kind;
    DWORD state;
    DWORD index;
    DWORD registers;
    DWORD value = 0;
    float constants[16] = {};
    IDirect3DBaseTexture8* texture = nullptr;  // a reference of its own
};

constexpr DWORD kMaxConstantRegisters = 4;

class Effect final : public win32::ComObject<ID3DXEffect, IID_ID3DXEffect> {
public:
    Effect(IDirect3DDevice8* device, std::string source, EffectDescription description)
        : device_(device), source_(std::move(source)), description_(std::move(description)) {
        device_->AddRef();
    }

    // Creates the inline shaders and sets the initial parameter values.
    HRESULT initialise(std::string* errors) {
        for (const ShaderSource& shader : description_.shaders) {
            DWORD handle = 0;
            const HRESULT hr = createShader(shader, &handle);
            if (FAILED(hr)) {
                *errors += "(" + std::to_string(shader.line) + "): error: the device refused the " +
                           (shader.vertex ? "vertex" : "pixel") + " shader\n";
                return hr;
            }
            handles_.push_back(handle);
        }
        for (const ParameterDescription& p : description_.parameters) parameters_.push_back(initialSlot(p));
        return D3D_OK;
    }

    // ---- Description -------------------------------------------------------------------

    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE8* ppDevice) override {
        if (!ppDevice) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *ppDevice = device_;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDesc(D3DXEFFECT_DESC* pDesc) override {
        if (!pDesc) return D3DERR_INVALIDCALL;
        pDesc->Parameters = UINT(parameters_.size());
        pDesc->Techniques = UINT(description_.techniques.size());
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetParameterDesc(LPCSTR pParameter, D3DXPARAMETER_DESC* pDesc) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !pDesc) return D3DERR_INVALIDCALL;
        *pDesc = D3DXPARAMETER_DESC{slot->name.c_str(), nullptr, slot->type};
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTechniqueDesc(LPCSTR pTechnique, D3DXTECHNIQUE_DESC* pDesc) override {
        const TechniqueDescription* t = techniqueNamed(pTechnique);
        if (!t || !pDesc) return D3DERR_INVALIDCALL;
        describe(*t, pDesc);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPassDesc(LPCSTR pTechnique, LPCSTR pPass, D3DXPASS_DESC* pDesc) override {
        const TechniqueDescription* t = techniqueNamed(pTechnique);
        if (!t || !pDesc || !pPass) return D3DERR_INVALIDCALL;
        for (const PassDescription& p : t->passes)
            if (p.name == pPass) {
                *pDesc = D3DXPASS_DESC{p.name.c_str(), nullptr};
                return D3D_OK;
            }
        return D3DERR_INVALIDCALL;
    }

    HRESULT STDMETHODCALLTYPE FindNextValidTechnique(LPCSTR pTechnique, D3DXTECHNIQUE_DESC* pDesc) override {
        if (!pDesc) return D3DERR_INVALIDCALL;
        size_t start = 0;
        if (pTechnique) {
            const TechniqueDescription* t = techniqueNamed(pTechnique);
            if (!t) return D3DERR_INVALIDCALL;
            start = size_t(t - description_.techniques.data());
        }
        for (size_t i = start; i < description_.techniques.size(); ++i)
            if (fitsDevice(description_.techniques[i])) {
                describe(description_.techniques[i], pDesc);
                return D3D_OK;
            }
        return E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE CloneEffect(LPDIRECT3DDEVICE8 pDevice, LPD3DXEFFECT* ppEffect) override;

    // The compiled form is the text itself here; there is no binary effect
    // format to hand out.
    HRESULT STDMETHODCALLTYPE GetCompiledEffect(LPD3DXBUFFER* ppCompiledEffect) override {
        if (ppCompiledEffect) *ppCompiledEffect = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE SetTechnique(LPCSTR pTechnique) override {
        const TechniqueDescription* t = techniqueNamed(pTechnique);
        if (!t || !pTechnique || begun_) return D3DERR_INVALIDCALL;
        technique_ = size_t(t - description_.techniques.data());
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTechnique(LPCSTR* ppTechnique) override {
        if (!ppTechnique || description_.techniques.empty()) return D3DERR_INVALIDCALL;
        *ppTechnique = description_.techniques[technique_].name.c_str();
        return D3D_OK;
    }

    // ---- Parameters --------------------------------------------------------------------

    HRESULT STDMETHODCALLTYPE SetDword(LPCSTR pParameter, DWORD dw) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot) return D3DERR_INVALIDCALL;
        if (slot->type == D3DXPT_DWORD) slot->dword = dw;
        else if (slot->type == D3DXPT_FLOAT) slot->values[0] = float(dw);
        else return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDword(LPCSTR pParameter, DWORD* pdw) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !pdw) return D3DERR_INVALIDCALL;
        if (slot->type == D3DXPT_DWORD) *pdw = slot->dword;
        else if (slot->type == D3DXPT_FLOAT) *pdw = DWORD(slot->values[0]);
        else return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetFloat(LPCSTR pParameter, FLOAT f) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot) return D3DERR_INVALIDCALL;
        if (slot->type == D3DXPT_FLOAT) slot->values[0] = f;
        else if (slot->type == D3DXPT_DWORD) slot->dword = DWORD(f);
        else return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetFloat(LPCSTR pParameter, FLOAT* pf) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !pf) return D3DERR_INVALIDCALL;
        if (slot->type == D3DXPT_FLOAT || slot->type == D3DXPT_VECTOR) *pf = slot->values[0];
        else if (slot->type == D3DXPT_DWORD) *pf = float(slot->dword);
        else return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVector(LPCSTR pParameter, const D3DXVECTOR4* pVector) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot || !pVector) return D3DERR_INVALIDCALL;
        if (slot->type == D3DXPT_VECTOR) std::memcpy(slot->values, pVector, 4 * sizeof(float));
        else if (slot->type == D3DXPT_FLOAT) slot->values[0] = pVector->x;
        else return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetVector(LPCSTR pParameter, D3DXVECTOR4* pVector) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !pVector || (slot->type != D3DXPT_VECTOR && slot->type != D3DXPT_FLOAT))
            return D3DERR_INVALIDCALL;
        *pVector = D3DXVECTOR4(slot->values[0], slot->values[1], slot->values[2], slot->values[3]);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetMatrix(LPCSTR pParameter, const D3DXMATRIX* pMatrix) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot || !pMatrix || slot->type != D3DXPT_MATRIX) return D3DERR_INVALIDCALL;
        std::memcpy(slot->values, &pMatrix->m[0][0], sizeof slot->values);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetMatrix(LPCSTR pParameter, D3DXMATRIX* pMatrix) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !pMatrix || slot->type != D3DXPT_MATRIX) return D3DERR_INVALIDCALL;
        std::memcpy(&pMatrix->m[0][0], slot->values, sizeof slot->values);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTexture(LPCSTR pParameter, LPDIRECT3DBASETEXTURE8 pTexture) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot || slot->type != D3DXPT_TEXTURE) return D3DERR_INVALIDCALL;
        if (pTexture) pTexture->AddRef();
        if (slot->texture) slot->texture->Release();
        slot->texture = pTexture;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTexture(LPCSTR pParameter, LPDIRECT3DBASETEXTURE8* ppTexture) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !ppTexture || slot->type != D3DXPT_TEXTURE) return D3DERR_INVALIDCALL;
        if (slot->texture) slot->texture->AddRef();
        *ppTexture = slot->texture;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVertexShader(LPCSTR pParameter, DWORD Handle) override {
        return setShader(pParameter, D3DXPT_VERTEXSHADER, Handle);
    }
    HRESULT STDMETHODCALLTYPE GetVertexShader(LPCSTR pParameter, DWORD* pHandle) override {
        return getShader(pParameter, D3DXPT_VERTEXSHADER, pHandle);
    }
    HRESULT STDMETHODCALLTYPE SetPixelShader(LPCSTR pParameter, DWORD Handle) override {
        return setShader(pParameter, D3DXPT_PIXELSHADER, Handle);
    }
    HRESULT STDMETHODCALLTYPE GetPixelShader(LPCSTR pParameter, DWORD* pHandle) override {
        return getShader(pParameter, D3DXPT_PIXELSHADER, pHandle);
    }

    HRESULT STDMETHODCALLTYPE SetString(LPCSTR pParameter, LPCSTR pString) override {
        ParameterSlot* slot = find(pParameter);
        if (!slot || !pString || slot->type != D3DXPT_STRING) return D3DERR_INVALIDCALL;
        slot->text = pString;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetString(LPCSTR pParameter, LPCSTR* ppString) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || !ppString || slot->type != D3DXPT_STRING) return D3DERR_INVALIDCALL;
        *ppString = slot->text.c_str();
        return D3D_OK;
    }

    BOOL STDMETHODCALLTYPE IsParameterUsed(LPCSTR pParameter) override {
        const ParameterSlot* slot = find(pParameter);
        if (!slot || description_.techniques.empty()) return FALSE;
        const int index = int(slot - parameters_.data());
        for (const PassDescription& p : description_.techniques[technique_].passes)
            for (const Assignment& a : p.assignments)
                if (a.value.kind == ValueKind::Parameter && a.value.parameter == index) return TRUE;
        return FALSE;
    }

    // ---- Running a technique -----------------------------------------------------------

    HRESULT STDMETHODCALLTYPE Validate() override {
        if (description_.techniques.empty()) return D3DERR_INVALIDCALL;
        return fitsDevice(description_.techniques[technique_]) ? D3D_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) override {
        if (description_.techniques.empty() || begun_) return D3DERR_INVALIDCALL;
        const TechniqueDescription& t = description_.techniques[technique_];
        if (pPasses) *pPasses = UINT(t.passes.size());
        if (!(Flags & D3DXFX_DONOTSAVESTATE)) saveStates(t);
        begun_ = true;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE Pass(UINT passNumber) override {
        if (description_.techniques.empty()) return D3DERR_INVALIDCALL;
        const TechniqueDescription& t = description_.techniques[technique_];
        if (passNumber >= t.passes.size()) return D3DERR_INVALIDCALL;
        for (const Assignment& a : t.passes[passNumber].assignments) apply(a);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE End() override {
        if (!begun_) return D3DERR_INVALIDCALL;
        restoreStates();
        begun_ = false;
        return D3D_OK;
    }

    // The effect's shaders survive a device reset, so losing the device only
    // has to close a technique left open.
    HRESULT STDMETHODCALLTYPE OnLostDevice() override {
        if (begun_) End();
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return D3D_OK; }

    const std::string& source() const { return source_; }

    // Copies the values a host set (not the shader handles, which belong
    // to each effect's own device).
    void copyValuesFrom(const Effect& other) {
        for (size_t i = 0; i < parameters_.size() && i < other.parameters_.size(); ++i) {
            ParameterSlot& to = parameters_[i];
            const ParameterSlot& from = other.parameters_[i];
            std::memcpy(to.values, from.values, sizeof to.values);
            to.dword = from.dword;
            to.text = from.text;
        }
    }

protected:
    ~Effect() override {
        for (SavedState& s : saved_)
            if (s.texture) s.texture->Release();
        for (ParameterSlot& p : parameters_)
            if (p.texture) p.texture->Release();
        for (size_t i = 0; i < handles_.size(); ++i) {
            if (description_.shaders[i].vertex) device_->DeleteVertexShader(handles_[i]);
            else device_->DeletePixelShader(handles_[i]);
        }
        device_->Release();
    }

private:
    HRESULT createShader(const ShaderSource& shader, DWORD* handle) {
        if (!shader.vertex) return device_->CreatePixelShader(shader.function.data(), handle);
        return device_->CreateVertexShader(shader.declaration.data(),
                                           shader.function.empty() ? nullptr : shader.function.data(), handle, 0);
    }

    ParameterSlot initialSlot(const ParameterDescription& p) const {
        ParameterSlot slot;
        slot.name = p.name;
        slot.type = p.type;
        const Value& v = p.initial;
        if (v.kind == ValueKind::Shader) {
            slot.shader = handles_[size_t(v.shader)];
            slot.shaderSource = v.shader;
        } else if (v.kind == ValueKind::Numbers) {
            if (p.type == D3DXPT_STRING) slot.text = v.text;
            for (size_t i = 0; i < v.numbers.size() && i < 16; ++i) slot.values[i] = v.numbers[i];
            slot.dword = v.integral ? v.dword : DWORD(v.numbers.empty() ? 0.0f : v.numbers[0]);
            if (p.type == D3DXPT_VERTEXSHADER) slot.shader = slot.dword;
        }
        return slot;
    }

    ParameterSlot* find(LPCSTR name) {
        if (!name) return nullptr;
        for (ParameterSlot& p : parameters_)
            if (p.name == name) return &p;
        return nullptr;
    }

    const TechniqueDescription* techniqueNamed(LPCSTR name) const {
        if (description_.techniques.empty()) return nullptr;
        if (!name) return &description_.techniques[technique_];
        for (const TechniqueDescription& t : description_.techniques)
            if (t.name == name) return &t;
        return nullptr;
    }

    static void describe(const TechniqueDescription& t, D3DXTECHNIQUE_DESC* out) {
        *out = D3DXTECHNIQUE_DESC{t.name.c_str(), nullptr, UINT(t.passes.size())};
    }

    HRESULT setShader(LPCSTR name, D3DXPARAMETERTYPE type, DWORD handle) {
        ParameterSlot* slot = find(name);
        if (!slot || slot->type != type) return D3DERR_INVALIDCALL;
        slot->shader = handle;
        slot->shaderSource = -1;
        return D3D_OK;
    }

    HRESULT getShader(LPCSTR name, D3DXPARAMETERTYPE type, DWORD* handle) {
        const ParameterSlot* slot = find(name);
        if (!slot || !handle || slot->type != type) return D3DERR_INVALIDCALL;
        *handle = slot->shader;
        return D3D_OK;
    }

    // Whether the device runs every shader the technique sets.
    bool fitsDevice(const TechniqueDescription& t) const {
        D3DCAPS8 caps{};
        if (FAILED(device_->GetDeviceCaps(&caps))) return false;
        for (const PassDescription& p : t.passes)
            for (const Assignment& a : p.assignments) {
                const int source = shaderSourceOf(a);
                if (source < 0 || description_.shaders[size_t(source)].function.empty()) continue;
                const ShaderSource& s = description_.shaders[size_t(source)];
                const DWORD have = (s.vertex ? caps.VertexShaderVersion : caps.PixelShaderVersion) & 0xFFFFu;
                if ((s.function[0] & 0xFFFFu) > have) return false;
            }
        return true;
    }

    int shaderSourceOf(const Assignment& a) const {
        if (a.kind != StateKind::VertexShader && a.kind != StateKind::PixelShader) return -1;
        if (a.value.kind == ValueKind::Shader) return a.value.shader;
        if (a.value.kind == ValueKind::Parameter) return parameterOf(a).shaderSource;
        return -1;
    }

    // The parser resolved the name; parameters_ follows its order.
    const ParameterSlot& parameterOf(const Assignment& a) const { return parameters_[size_t(a.value.parameter)]; }

    // The DWORD a render or stage state gets.
    DWORD stateValue(const Assignment& a) const {
        if (a.value.kind != ValueKind::Parameter) return a.value.dword;
        const ParameterSlot& p = parameterOf(a);
        if (p.type == D3DXPT_DWORD) {
            if (!a.floatBits) return p.dword;
            const float f = float(p.dword);
            DWORD bits;
            std::memcpy(&bits, &f, sizeof bits);
            return bits;
        }
        if (!a.floatBits) return DWORD(p.values[0]);
        DWORD bits;
        std::memcpy(&bits, &p.values[0], sizeof bits);
        return bits;
    }

    DWORD shaderHandle(const Assignment& a) const {
        switch (a.value.kind) {
        case ValueKind::Shader: return handles_[size_t(a.value.shader)];
        case ValueKind::Parameter: {
            const ParameterSlot& p = parameterOf(a);
            return p.type == D3DXPT_DWORD ? p.dword : p.shader;
        }
        case ValueKind::Numbers: return a.value.dword;
        case ValueKind::Null: return 0;
        }
        return 0;
    }

    // Constant registers from the assignment's value; returns how many.
    // A matrix fills four registers with its columns, so that m4x4 (four
    // dot products, one per register) transforms a row vector exactly as
    // the matrix does in Direct3D's convention. A float or DWORD fills x of
    // one register, a vector one register. The state's own count (the 4 of
    // VertexShaderConstant4) is an upper bound: registers past the value's
    // size are left alone.
    DWORD constantData(const Assignment& a, float out[16]) const {
        std::fill(out, out + 16, 0.0f);
        DWORD registers = 0;
        if (a.value.kind == ValueKind::Numbers) {
            const size_t n = std::min<size_t>(a.value.numbers.size(), 16);
            std::copy(a.value.numbers.begin(), a.value.numbers.begin() + std::ptrdiff_t(n), out);
            registers = DWORD((n + 3) / 4);
        } else if (a.value.kind == ValueKind::Parameter) {
            const ParameterSlot& p = parameterOf(a);
            switch (p.type) {
            case D3DXPT_MATRIX:
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c) out[r * 4 + c] = p.values[c * 4 + r];
                registers = 4;
                break;
            case D3DXPT_VECTOR: std::copy(p.values, p.values + 4, out); registers = 1; break;
            case D3DXPT_DWORD: out[0] = float(p.dword); registers = 1; break;
            default: out[0] = p.values[0]; registers = 1; break;
            }
        }
        if (a.count > 0) registers = std::min(registers, a.count);
        return std::min(registers, kMaxConstantRegisters);
    }

    IDirect3DBaseTexture8* textureOf(const Assignment& a) const {
        return a.value.kind == ValueKind::Parameter ? parameterOf(a).texture : nullptr;
    }

    void apply(const Assignment& a) {
        float data[16];
        switch (a.kind) {
        case StateKind::Render: device_->SetRenderState(D3DRENDERSTATETYPE(a.state), stateValue(a)); break;
        case StateKind::Stage:
            device_->SetTextureStageState(a.index, D3DTEXTURESTAGESTATETYPE(a.state), stateValue(a));
            break;
        case StateKind::Texture: device_->SetTexture(a.index, textureOf(a)); break;
        case StateKind::VertexShader: device_->SetVertexShader(shaderHandle(a)); break;
        case StateKind::PixelShader: device_->SetPixelShader(shaderHandle(a)); break;
        case StateKind::VertexShaderConstant: {
            const DWORD registers = constantData(a, data);
            if (registers) device_->SetVertexShaderConstant(a.index, data, registers);
            break;
        }
        case StateKind::PixelShaderConstant: {
            const DWORD registers = constantData(a, data);
            if (registers) device_->SetPixelShaderConstant(a.index, data, registers);
            break;
        }
        }
    }

    void saveStates(const TechniqueDescription& t) {
        float data[16];
        for (const PassDescription& p : t.passes)
            for (const Assignment& a : p.assignments) {
                SavedState s{a.kind, a.state, a.index, 0};
                switch (a.kind) {
                case StateKind::Render: device_->GetRenderState(D3DRENDERSTATETYPE(a.state), &s.value); break;
                case StateKind::Stage:
                    device_->GetTextureStageState(a.index, D3DTEXTURESTAGESTATETYPE(a.state), &s.value);
                    break;
                case StateKind::Texture: device_->GetTexture(a.index, &s.texture); break;
                case StateKind::VertexShader: device_->GetVertexShader(&s.value); break;
                case StateKind::PixelShader: device_->GetPixelShader(&s.value); break;
                case StateKind::VertexShaderConstant:
                    s.registers = constantData(a, data);
                    if (s.registers) device_->GetVertexShaderConstant(a.index, s.constants, s.registers);
                    break;
                case StateKind::PixelShaderConstant:
                    s.registers = constantData(a, data);
                    if (s.registers) device_->GetPixelShaderConstant(a.index, s.constants, s.registers);
                    break;
                }
                saved_.push_back(s);
            }
    }

    // Latest first, so that a state set by several passes ends as it was
    // before Begin.
    void restoreStates() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            SavedState& s = *it;
            switch (s.kind) {
            case StateKind::Render: device_->SetRenderState(D3DRENDERSTATETYPE(s.state), s.value); break;
            case StateKind::Stage:
                device_->SetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.state), s.value);
                break;
            case StateKind::Texture:
                device_->SetTexture(s.index, s.texture);
                if (s.texture) s.texture->Release();
                s.texture = nullptr;
                break;
            case StateKind::VertexShader: device_->SetVertexShader(s.value); break;
            case StateKind::PixelShader: device_->SetPixelShader(s.value); break;
            case StateKind::VertexShaderConstant:
                if (s.registers) device_->SetVertexShaderConstant(s.index, s.constants, s.registers);
                break;
            case StateKind::PixelShaderConstant:
                if (s.registers) device_->SetPixelShaderConstant(s.index, s.constants, s.registers);
                break;
            }
        }
        saved_.clear();
    }

    IDirect3DDevice8* device_;
    std::string source_;
    EffectDescription description_;
    std::vector<DWORD> handles_;  // one per description_.shaders, created on device_
    std::vector<ParameterSlot> parameters_;
    size_t technique_ = 0;
    bool begun_ = false;
    std::vector<SavedState> saved_;
};

// Parses and creates; on failure *errors holds the messages.
HRESULT createEffect(IDirect3DDevice8* device, std::string_view text, Effect** out, std::string* errors) {
    // A terminating zero counted into the length ends the text.
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    ParsedEffect parsed = parseEffect(text);
    if (!parsed.ok) {
        *errors = formatAsmErrors(parsed.errors);
        return D3DXERR_INVALIDDATA;
    }
    Effect* effect = new (std::nothrow) Effect(device, std::string(text), std::move(parsed.effect));
    if (!effect) return E_OUTOFMEMORY;
    const HRESULT hr = effect->initialise(errors);
    if (FAILED(hr)) {
        effect->Release();
        return hr;
    }
    *out = effect;
    return D3D_OK;
}

HRESULT STDMETHODCALLTYPE Effect::CloneEffect(LPDIRECT3DDEVICE8 pDevice, LPD3DXEFFECT* ppEffect) {
    if (!pDevice || !ppEffect) return D3DERR_INVALIDCALL;
    *ppEffect = nullptr;
    Effect* clone = nullptr;
    std::string errors;
    const HRESULT hr = createEffect(pDevice, source_, &clone, &errors);
    if (FAILED(hr)) return hr;
    clone->copyValuesFrom(*this);
    *ppEffect = clone;
    return D3D_OK;
}

}  // namespace
}  // namespace zep::d3dx

extern "C" HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE8 pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                           LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppCompilationErrors) {
    if (ppEffect) *ppEffect = nullptr;
    if (ppCompilationErrors) *ppCompilationErrors = nullptr;
    if (!pDevice || !ppEffect || (!pSrcData && SrcDataSize)) return D3DERR_INVALIDCALL;
    const std::string_view text(static_cast<const char*>(pSrcData), pSrcData ? SrcDataSize : 0);
    zep::d3dx::Effect* effect = nullptr;
    std::string errors;
    const HRESULT hr = zep::d3dx::createEffect(pDevice, text, &effect, &errors);
    if (FAILED(hr)) {
        if (ppCompilationErrors && !errors.empty()) *ppCompilationErrors = zep::d3dx::createTextBuffer(errors);
        return hr;
    }
    *ppEffect = effect;
    return D3D_OK;
}
