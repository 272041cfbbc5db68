/* ZEPenginedll: the engine's public interface.
 *
 * Every function the library exports and every record it shares with hosts,
 * usable from C and C++. Records are plain C structs with natural alignment:
 * on 32-bit targets their sizes and offsets are the library's binary
 * interface; on 64-bit targets the field order is the same and pointers take
 * 8 bytes, so hosts use offsetof/sizeof, never literal offsets.
 *
 * Conventions: functions use the standard Windows calling convention
 * (ZEPAPI, callee pops) except ZEP_log, which takes variable arguments.
 * Byte results are 1 for success and 0 for failure; loaders return an index
 * or a count, -1 for failure. Matrices are 16 floats, row-major with row
 * vectors and the translation in the fourth row, left-handed, Y up. Colours
 * are 32-bit ARGB. Object, mesh and texture handles are int32 indices; a
 * texture handle of -1 means "no texture". */
#ifndef ZEPENGINEDLL_H
#define ZEPENGINEDLL_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

/* ---- Linkage ----------------------------------------------------------- */

#if defined(_WIN32) && !defined(_WIN64)
#define ZEPAPI __stdcall
#else
#define ZEPAPI
#endif

#if defined(_WIN32)
#if defined(ZEP_BUILDING_ENGINE)
#define ZEP_EXPORT __declspec(dllexport)
#else
#define ZEP_EXPORT __declspec(dllimport)
#endif
#else
#define ZEP_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Direct3D base types shared with hosts ------------------------------
 * Guarded the way Direct3D's own headers guard them, so that including
 * <d3d8.h> before or after this header is harmless. */

#ifndef D3DCOLOR_DEFINED
typedef DWORD D3DCOLOR;
#define D3DCOLOR_DEFINED
#endif

#ifndef D3DVECTOR_DEFINED
typedef struct _D3DVECTOR {
    float x;
    float y;
    float z;
} D3DVECTOR;
#define D3DVECTOR_DEFINED
#endif

#ifndef D3DMATRIX_DEFINED
typedef struct _D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
} D3DMATRIX;
#define D3DMATRIX_DEFINED
#endif

/* Device objects appear in records only by pointer. */
typedef struct IDirect3DTexture8 IDirect3DTexture8;
typedef struct IDirect3DSurface8 IDirect3DSurface8;
typedef struct IDirect3DVertexBuffer8 IDirect3DVertexBuffer8;
typedef struct IDirect3DIndexBuffer8 IDirect3DIndexBuffer8;
typedef struct ID3DXMesh ID3DXMesh;

/* World object arrays (loadworldobject); the record is defined with the world records below. */
typedef struct WorldObject WorldObject;

/* ---- Host-owned geometry records (used by lines and map layers) ---------- */

/* A dynamic vertex buffer a host owns: seven 32-bit words on 32-bit targets. */
typedef struct DynamicVertexBuffer {
    int32_t zero0;                   /* always 0 */
    int32_t zero1;                   /* always 0 */
    int32_t one0;                    /* always 1 */
    int32_t one1;                    /* always 1 */
    int32_t count;                   /* vertices added */
    int32_t capacity;                /* vertices the buffer holds */
    IDirect3DVertexBuffer8* buffer;  /* capacity x 24 + 72 bytes, dynamic-vertex layout */
} DynamicVertexBuffer;

/* Line strips in one device buffer (CreateLinearray); 28 bytes on 32-bit. */
typedef struct LineArray {
    int32_t capacity;                /* vertices */
    int32_t count;                   /* vertices added */
    int32_t flags;                   /* low byte 1: ring; 0x2000 wide lines; 0x4000 screen-space lines */
    IDirect3DVertexBuffer8* buffer;  /* device vertex buffer, managed pool */
    int32_t strips;                  /* number of the current strip, counted from 1 */
    int32_t* stripEnds;              /* [capacity + 2]: last vertex of each strip */
    int32_t* stripHidden;            /* [capacity + 2]: 1 hides the strip when drawing */
} LineArray;

/* ======================================================================
 * Engine core and object model
 * ====================================================================== */

/* ---- Constants --------------------------------------------------------- */

/* Written at the end of ZEPengine once initialisation has run; hosts check it. */
#define ZEP_IDENTITY_WORD 0x11223344u

/* Texture list. Entries 0 to 2 are reserved, so the first texture is 3. */
#define ZEP_MAX_TEXTURES 1000
#define ZEP_FIRST_TEXTURE 3
#define ZEP_NO_TEXTURE (-1)

/* Animation table inside ZEPengine. */
#define ZEP_MAX_ANIMATIONS 256
#define ZEP_MAX_ANIMATION_KEYS 16

/* Texture slots an OBJ file may carry. */
#define ZEP_MAX_OBJECT_TEXTURES 32

/* Layer vertices reserved for text at the start of the layer pool. */
#define ZEP_TEXT_BLOCK_VERTICES 896

/* Pool and table capacities used when the host never calls SetZEPengineMemory. */
#define ZEP_DEFAULT_DYNAMIC_VERTICES 25000
#define ZEP_DEFAULT_STATIC_VERTICES 80000
#define ZEP_DEFAULT_LAYER_VERTICES 2000
#define ZEP_DEFAULT_HELPERS 10000
#define ZEP_DEFAULT_OBJECTS 10000
#define ZEP_DEFAULT_MESHES 40000

/* Stage operation of our own beside the D3DTEXTUREOP values: colour or alpha
 * taken from the texture factor, which SetAmbientColor sets. */
#define ZEP_OP_TEXTURE_FACTOR 20

/* Vertex formats of the pools and line arrays. */
#define ZEP_FVF_STATIC 0x252      /* XYZ | NORMAL | DIFFUSE | TEX2: StaticVertex */
#define ZEP_FVF_DYNAMIC 0x142     /* XYZ | DIFFUSE | TEX1: DynamicVertex */
#define ZEP_FVF_LAYER 0x144       /* XYZRHW | DIFFUSE | TEX1: LayerVertex */
#define ZEP_FVF_LINE 0x42         /* XYZ | DIFFUSE: LineVertex */
#define ZEP_FVF_SCREEN_LINE 0x44  /* XYZRHW | DIFFUSE: ScreenLineVertex */

/* ZEPengine.vertexSource: which pool the next draw reads from. */
#define ZEP_SOURCE_NONE 0
#define ZEP_SOURCE_STATIC 1
#define ZEP_SOURCE_DYNAMIC 2
#define ZEP_SOURCE_LAYER 3
#define ZEP_SOURCE_LINES 4

/* ZEPengine.fillFlags (SetFillMode). */
#define ZEP_FILL_TEXTURED 0x1     /* textures bound when drawing objects */
#define ZEP_FILL_WIREFRAME 0x2    /* wins over points */
#define ZEP_FILL_POINTS 0x4
#define ZEP_FILL_ALPHA_VIEW 0x100 /* debug: show texture alpha, one texture only */

/* ObjectRecord.flags. */
#define ZEP_OBJ_ORDINARY 0x1
#define ZEP_OBJ_DOUBLE_SIDED 0x4    /* file names "*$2" or "2_*"; drawn without culling */
#define ZEP_OBJ_ALPHA_NAMED 0x20    /* file names "*$a" or "a_*"; drawn without culling */
#define ZEP_OBJ_CLIP_GROUPS 0x200   /* some meshes start clip groups */
#define ZEP_OBJ_WIREFRAME 0x400     /* drawn as wireframe without culling */

/* MeshRecord.blendMode: second byte two-texture mode, low byte surface effect. */
#define ZEP_BLEND_ONE_TEXTURE 0x000
#define ZEP_BLEND_TWO_TEXTURES 0x100
#define ZEP_BLEND_LAVA 0x200
#define ZEP_BLEND_DOT3 0x300
#define ZEP_BLEND_WATER 0x400
#define ZEP_BLEND_MODE_MASK 0xff00
#define ZEP_EFFECT_SPHERE_MAP 0x4
#define ZEP_EFFECT_SCREEN_PROJECTED 0x8
#define ZEP_EFFECT_GREY_WAVES 0x10
#define ZEP_EFFECT_MASK 0xff

/* LineArray.flags. */
#define ZEP_LINES_RING 0x1        /* low byte 1: adding past capacity starts again at 0 */
#define ZEP_LINES_WIDE 0x2000     /* expanded by the wide-line program */
#define ZEP_LINES_SCREEN 0x4000   /* pre-transformed screen-space vertices */

/* Texture load modes (part of the texture lookup key; CreateTexture format). */
#define ZEP_TEXMODE_DISPLAY 10000   /* current display format */
#define ZEP_TEXMODE_R5G6B5 10001
#define ZEP_TEXMODE_A4R4G4B4 10002
#define ZEP_TEXMODE_OBJECT 10003    /* object textures; A4R4G4B4 when created */
#define ZEP_TEXMODE_BUMP 10016      /* bump maps; Q8W8V8U8 when created */

/* SetFont flags. */
#define ZEP_FONT_BOLD 0x1
#define ZEP_FONT_ITALIC 0x2

/* ---- Callbacks --------------------------------------------------------- */

/* Content encoder or decoder (SetObjCoders): transforms size bytes at data in
 * place. The decoder sees every content file that lacks its plain signature;
 * the encoder sees every object file saveobj writes. */
typedef void (ZEPAPI* ZEPcontentCoder)(void* data, int32_t size);

/* ---- Vertex layouts ---------------------------------------------------- */

/* Static pool vertex, 44 bytes (ZEP_FVF_STATIC). */
typedef struct StaticVertex {
    D3DVECTOR position;  /* object space, Y up */
    D3DVECTOR normal;
    uint32_t diffuse;    /* ARGB */
    float tu1;           /* stage-0 texture coordinates */
    float tv1;
    float tu2;           /* stage-1 texture coordinates */
    float tv2;
} StaticVertex;

/* Dynamic pool vertex, 24 bytes (ZEP_FVF_DYNAMIC); also DrawPrimitiveUp's layout. */
typedef struct DynamicVertex {
    float x;
    float y;
    float z;
    uint32_t color;      /* ARGB */
    float u;
    float v;
} DynamicVertex;

/* Layer pool vertex, 28 bytes, pre-transformed (ZEP_FVF_LAYER). */
typedef struct LayerVertex {
    float x;             /* screen pixels */
    float y;
    float z;
    float rhw;           /* 1.0 */
    uint32_t color;      /* ARGB */
    float u;
    float v;
} LayerVertex;

/* Thin world-space line vertex, 16 bytes (ZEP_FVF_LINE). */
typedef struct LineVertex {
    float x;
    float y;
    float z;
    uint32_t color;      /* ARGB */
} LineVertex;

/* Screen-space line vertex, 20 bytes (ZEP_FVF_SCREEN_LINE). */
typedef struct ScreenLineVertex {
    float x;             /* screen pixels */
    float y;
    float z;
    float rhw;           /* 1.0 */
    uint32_t color;      /* ARGB */
} ScreenLineVertex;

/* One half of a wide-line vertex, 28 bytes: input of the wide-line program. */
typedef struct WideLineHalf {
    float x;
    float y;
    float z;
    float offsetX;       /* side offset, scaled by the program's "wide"; holds the colour until the offsets are set */
    float offsetY;
    float u;             /* scaled by the program's "towv" */
    float v;
} WideLineHalf;

/* Wide-line vertex, 56 bytes: the two sides of the line at one point. */
typedef struct WideLineVertex {
    WideLineHalf half[2];
} WideLineVertex;

/* Vertex as ModifyStaticVertex and GetStaticVertex exchange it, 44 bytes;
 * the field order differs from StaticVertex. */
typedef struct VertexExchange {
    float x;
    float y;
    float z;
    float nx;
    float ny;
    float nz;
    float tu1;
    float tv1;
    float tu2;
    float tv2;
    uint32_t color;      /* ARGB */
} VertexExchange;

/* ---- Object, mesh and helper tables ------------------------------------ */

/* One loaded or built object, 236 bytes. Handle = index in ZEPengine.objects. */
typedef struct ObjectRecord {
    int32_t firstMesh;       /*   0 first mesh */
    int32_t lastMesh;        /*   4 last mesh, inclusive */
    int32_t flags;           /*   8 ZEP_OBJ_* */
    int32_t helperCount;     /*  12 helpers attached */
    int32_t firstHelper;     /*  16 first HelperRecord */
    int32_t firstVertex;     /*  20 first static vertex slot; indexes are relative to it */
    D3DVECTOR box[8];        /*  24 corners: (min,min,min) (max,min,min) (max,max,min) (min,max,min), then the same at max z */
    char name[100];          /* 120 path the object was read from; empty when built */
    float radius;            /* 220 largest absolute box extent on any axis */
    int32_t firstAnimation;  /* 224 entry of ZEPengine.animations, -1 none */
    int32_t morphSlot;       /* 228 -1 ordinary; 0 or more: tweened morph object */
    float morphWeight;       /* 232 tween weight of a morph object */
} ObjectRecord;

/* Draw range of a mesh, 8 bytes (MeshRecord.ranges). */
typedef struct MeshRange {
    uint8_t reserved000[4];  /* not read by the engine */
    int32_t triangleCount;   /* triangles drawn for this range */
} MeshRange;

/* One run of triangles with one material, 156 bytes. Handle = index in ZEPengine.meshes. */
typedef struct MeshRecord {
    int32_t indexStart;      /*   0 first index in the static index pool */
    int32_t indexEnd;        /*   4 one past the last index */
    int32_t minVertex;       /*   8 smallest vertex used, relative to the object's firstVertex */
    int32_t vertexEnd;       /*  12 one past the largest vertex used */
    int32_t texture;         /*  16 stage-0 texture handle; negative: the default texture */
    int32_t texture2;        /*  20 stage-1 texture handle; negative: the default texture */
    int32_t userValue;       /*  24 the host's; not read by drawing */
    uint32_t blendMode;      /*  28 ZEP_BLEND_* | ZEP_EFFECT_* */
    float materialParam;     /*  32 the host's; not read by drawing */
    uint8_t wrapU0;          /*  36 1 wrap, 0 clamp: stage 0 U */
    uint8_t wrapU1;          /*  37 stage 1 U */
    uint8_t wrapV0;          /*  38 stage 0 V */
    uint8_t wrapV1;          /*  39 stage 1 V */
    float opacity;           /*  40 material alpha */
    float specularPower;     /*  44 material power */
    int32_t clipGroupSize;   /*  48 above 0: this mesh starts a clip group of that many meshes */
    D3DVECTOR clipBox[8];    /*  52 the clip group's box, corners in ObjectRecord.box order */
    int32_t rangeCount;      /* 148 draw ranges; below 1: the mesh is one draw */
    MeshRange* ranges;       /* 152 range table, set only by hosts */
} MeshRecord;

/* Named placement inside an object, 124 bytes, stored as read from the file. */
typedef struct HelperRecord {
    char name[30];           /*   0 NUL-terminated */
    char text[30];           /*  30 second text */
    D3DMATRIX matrix;        /*  60 file axes (Z up) */
} HelperRecord;

/* GetHelper's result (returned by value). */
typedef struct HelperResult {
    uint8_t found;           /* 1 when the helper exists; else everything is zero */
    D3DMATRIX matrix;        /* engine axes, _44 = 1 */
    const char* name;        /* the HelperRecord itself, which starts with its name */
    const char* text;        /* the record's second text */
} HelperResult;

/* ---- Animation table --------------------------------------------------- */

/* One key of an animation, 36 bytes. */
typedef struct AnimationKey {
    D3DVECTOR rotation;      /* angles as ZEP_matrix4x4 takes them */
    D3DVECTOR scale;         /* factors as ZEP_matscale4x4 takes them */
    D3DVECTOR translation;
} AnimationKey;

/* One animation read from an object file, 684 bytes. */
typedef struct AnimationEntry {
    int32_t kind;                                /*   0 1 for an entry that holds keys */
    char name[30];                               /*   4 from the file; two bytes of alignment follow */
    int32_t keyCount;                            /*  36 at most ZEP_MAX_ANIMATION_KEYS */
    float rate;                                  /*  40 the file's rate x 0.00625 */
    AnimationKey keys[ZEP_MAX_ANIMATION_KEYS];   /*  44 */
    float keyTimes[ZEP_MAX_ANIMATION_KEYS];      /* 620 ticks, ascending */
} AnimationEntry;

/* ---- Engine state record ----------------------------------------------- */

/* The long-lived engine state, exported as ZEPengine; 179836 bytes. Hosts read
 * the identity word, the key state, the screen size and the counters. */
typedef struct ZEPengineRecord {
    float hostConstant;                 /*      0 3.0 after initialisation; for hosts only */
    int32_t fillFlags;                  /*      4 ZEP_FILL_*, as last passed to SetFillMode */
    int32_t vertexSource;               /*      8 ZEP_SOURCE_* */
    uint8_t softwareClip;               /*     12 SetPolyClip turns software vertex processing on */
    int32_t cullMode;                   /*     16 D3DCULL for objects: 2, or 3 while mirrored */
    uint8_t normalizeNormals;           /*     20 D3DRS_NORMALIZENORMALS */
    int32_t alphaRef;                   /*     24 D3DRS_ALPHAREF, -1 when alpha test is off */
    int32_t alphaOp;                    /*     28 stage-0 alpha op, or ZEP_OP_TEXTURE_FACTOR */
    int32_t colorOp;                    /*     32 stage-0 colour op, or ZEP_OP_TEXTURE_FACTOR */
    uint8_t lightingMode;               /*     36 clear: ambient forced white, material ignores it */
    uint8_t colorVertex;                /*     37 D3DRS_COLORVERTEX */
    uint8_t lightingEnabled;            /*     38 D3DRS_LIGHTING */
    int32_t lightMapTexture;            /*     40 texture handle of the light map, -1 none */
    uint8_t mirror;                     /*     44 water reflection pass: carriers mirrored in y */
    uint8_t lightModeReserved;          /*     45 cleared by SetLightMode, read by nothing */
    uint8_t fogEnabled;                 /*     46 */
    uint32_t ambientColor;              /*     48 ARGB */
    uint32_t defaultLightColor;         /*     52 ARGB, SetDefaultLight */
    float defaultLightAttenuation0;     /*     56 */
    float defaultLightAttenuation1;     /*     60 */
    float defaultLightAttenuation2;     /*     64 */
    float defaultLightFalloff;          /*     68 */
    const char* objectFolder;           /*     72 prefix of object file names; the host's string */
    const char* texturePathList;        /*     76 ';'-terminated texture folders; the host's string */
    uint8_t allowBmp;                   /*     80 clear: .bmp textures are refused */
    uint8_t texturesOff;                /*     81 set: texture files are not loaded */
    uint8_t texturePathsFifth;          /*     82 fifth argument of SetTexturePaths, kept only */
    ZEPcontentCoder contentEncoder;     /*     84 applied to saved objects; null none */
    ZEPcontentCoder contentDecoder;     /*     88 applied to unsigned content files; null none */
    uint8_t reserved092;                /*     92 cleared at device opening */
    float vertexShaderVersion;          /*     96 major + minor / 10 */
    float pixelShaderVersion;           /*    100 major + minor / 10 */
    int32_t maxLights;                  /*    104 device MaxActiveLights */
    int32_t maxAnisotropy;              /*    108 device MaxAnisotropy */
    int32_t maxPrimitiveCount;          /*    112 device MaxPrimitiveCount */
    int32_t requestedWidth;             /*    116 back buffer asked for at device opening */
    int32_t requestedHeight;            /*    120 */
    int32_t screenWidth;                /*    124 current viewport, updated every frame */
    int32_t screenHeight;               /*    128 */
    uint8_t reserved132[16];            /*    132 */
    int32_t backBufferBits;             /*    148 32, 16 or -1 */
    uint8_t followWindow;               /*    152 back buffer tracks the window's client size */
    uint8_t textureFilterFlag;          /*    153 full-detail flag of SetTextureFiltering */
    int32_t textureFilterMode;          /*    156 anisotropy of SetTextureFiltering, clamped */
    float nearClip;                     /*    160 1.0 */
    float farClip;                      /*    164 20000.0 */
    int32_t multisampleType;            /*    168 D3DMULTISAMPLE_TYPE in use */
    int32_t objectCount;                /*    172 objects in use; object 0 is reserved */
    int32_t staticVertexCount;          /*    176 static pool fill */
    int32_t meshCount;                  /*    180 meshes in use */
    int32_t staticIndexCount;           /*    184 static index pool fill */
    int32_t dynamicVertexCount;         /*    188 dynamic pool fill */
    int32_t layerBase;                  /*    192 first layer vertex after the engine's own */
    int32_t layerVertexCount;           /*    196 layer pool fill */
    int32_t textureCount;               /*    200 entries of Textures in use */
    D3DVECTOR sunDirection;             /*    204 (1, -1, 0) */
    int32_t shadowTexture;              /*    216 handle of "@hwshadow", -1 none */
    IDirect3DSurface8* renderTargetCopy;    /* 220 off-screen copy of the render target */
    uint32_t shadowColor;               /*    224 ARGB */
    uint32_t shadowColor16;             /*    228 the same as A4R4G4B4 */
    int32_t renderTargetSize;           /*    232 square side */
    int32_t renderTargetWidth;          /*    236 */
    int32_t renderTargetHeight;         /*    240 */
    uint8_t reserved244[20];            /*    244 */
    IDirect3DTexture8* renderTargetTexture; /* 264 */
    IDirect3DSurface8* renderTargetDepth;   /* 268 depth-stencil surface of the render target */
    int32_t renderTargetTextureIndex;   /*    272 "@ScreenCopytexture" in Textures, -1 none */
    int32_t aviWidth;                   /*    276 movie frame size */
    int32_t aviHeight;                  /*    280 */
    uint32_t* aviFrameBuffer;           /*    284 one pixel per movie pixel; null when not recording */
    int32_t helperCount;                /*    288 helpers in use */
    ObjectRecord* objects;              /*    292 object table */
    MeshRecord* meshes;                 /*    296 mesh table */
    HelperRecord* helpers;              /*    300 helper table */
    uint8_t ownsWindow;                 /*    304 the engine created the window */
    uint8_t reserved305[13];            /*    305 */
    uint8_t cullingEnabled;             /*    318 clear: objects draw without back-face culling */
    uint8_t reserved319[5];             /*    319 */
    uint8_t drawDebug;                  /*    324 count triangles in view while drawing */
    uint8_t reserved325[3];             /*    325 */
    int32_t drawDebugCount;             /*    328 triangles counted */
    uint8_t keys[256];                  /*    332 DirectInput key codes; high bit while down */
    char workingDirectory[2048];        /*    588 at device opening */
    char logPath[2048];                 /*   2636 working directory + "\\Log\\ZEP.log" */
    int32_t frameStart;                 /*   4684 ms, multimedia timer */
    int32_t lastPresent;                /*   4688 ms */
    int32_t frameDelta;                 /*   4692 ms between the two latest StartFrame calls */
    uint8_t reserved4696[4];            /*   4696 */
    int32_t videoState;                 /*   4700 video texture, -1 none */
    int32_t videoParams[4];             /*   4704 video texture */
    uint8_t engineRunning;              /*   4720 cleared by CloseZEPengine */
    AnimationEntry animations[ZEP_MAX_ANIMATIONS]; /* 4724 */
    int32_t animationCount;             /* 179828 entries in use */
    uint32_t identity;                  /* 179832 ZEP_IDENTITY_WORD after initialisation */
} ZEPengineRecord;

/* ---- Texture list ------------------------------------------------------ */

/* One texture, 416 bytes. Handle = index in Textures. */
typedef struct TextureEntry {
    char name[128];                /*   0 file name part, upper case, or AddTextureToList's name */
    char path[256];                /* 128 full path, upper case */
    int32_t mode;                  /* 384 ZEP_TEXMODE_* it was asked for with (part of the key) */
    uint8_t hasAlpha;              /* 388 loaded through the A_, S_ or C_ name rules */
    int32_t width;                 /* 392 TGA header or requested width */
    int32_t height;                /* 396 */
    int32_t format;                /* 400 D3DFORMAT of render textures */
    IDirect3DTexture8* texture;    /* 404 */
    int32_t spareFormat;           /* 408 D3DFORMAT of the spare, -1 none */
    IDirect3DTexture8* spare;      /* 412 second texture kept by CopyScreencopyTexture */
} TextureEntry;

/* gettextureprops's result. */
typedef struct TextureProps {
    char path[384];          /*   0 the entry's path */
    int32_t format;          /* 384 D3DFORMAT of the level */
    uint32_t size;           /* 388 bytes of the level */
    uint32_t width;          /* 392 */
    uint32_t height;         /* 396 */
    uint32_t levelCount;     /* 400 levels of the texture */
} TextureProps;

/* ---- Data exports ------------------------------------------------------ */

extern ZEP_EXPORT ZEPengineRecord ZEPengine;           /* the engine state */
extern ZEP_EXPORT TextureEntry Textures[ZEP_MAX_TEXTURES]; /* the texture list */


/* ZEP_log checks its arguments like printf where the compiler can. */
#if defined(__GNUC__)
#define ZEP_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define ZEP_PRINTF_FORMAT(f, a)
#endif

/* ---- State and pools --------------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetZEPengineMemory(int32_t dynamicVertices, int32_t staticVertices, int32_t layerVertices, int32_t helpers, int32_t objects, int32_t meshes); /* capacities for the next device opening */
ZEP_EXPORT void ZEPAPI SetTexturePaths(const char* objectFolder, const char* texturePathList, uint8_t allowBmp, uint8_t texturesOff, uint8_t fifth); /* strings kept by pointer, not copied */
ZEP_EXPORT ZEPcontentCoder ZEPAPI SetObjCoders(ZEPcontentCoder encoder, ZEPcontentCoder decoder); /* returns encoder; null disables */
ZEP_EXPORT int32_t ZEPAPI GetAvailableMem(int32_t* totalVideoMemory, int32_t* freeVideoMemory, int32_t* availableTextureMemory); /* returns the available texture memory */
ZEP_EXPORT D3DVECTOR* ZEPAPI ZEPengineVect(D3DVECTOR* out, float x, float y, float z); /* *out = (x, y, z); returns out */

/* ---- Initialisation, frame and shutdown -------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI InitD3DHWND(HWND* window, int32_t width, int32_t height, uint8_t followWindow, uint8_t* running, int32_t multisample); /* *window 0: the engine creates one */
ZEP_EXPORT uint8_t ZEPAPI InitD3D(void); /* own 800 x 600 window */
ZEP_EXPORT uint8_t ZEPAPI InitZEPengine(void); /* default state; run by the device opening */
ZEP_EXPORT HRESULT ZEPAPI SetDefaultrenderStates(void); /* per-frame default render states */
ZEP_EXPORT uint8_t ZEPAPI BeginRenderClear(int32_t clear); /* begin a frame on the back buffer */
ZEP_EXPORT uint8_t ZEPAPI BeginRender(void); /* BeginRenderClear(1) */
ZEP_EXPORT uint8_t ZEPAPI BeginRenderTargetClear(int32_t clear); /* begin a scene on the render-target texture */
ZEP_EXPORT uint8_t ZEPAPI RenderTarget(void); /* end the render-target scene */
ZEP_EXPORT HRESULT ZEPAPI ClearTarget(uint32_t flags, uint32_t color, float z, uint32_t stencil); /* clear the current target */
ZEP_EXPORT uint8_t ZEPAPI ResetRenderTargetSize(int32_t width, int32_t height); /* re-create the render target */
ZEP_EXPORT int32_t ZEPAPI StartFrame(void); /* read keys, advance the clock; ms since the last call */
ZEP_EXPORT uint8_t ZEPAPI RenderHWND(HWND target); /* end the scene and present; 0 = device window */
ZEP_EXPORT uint8_t ZEPAPI RenderMainWindow(void); /* RenderHWND(0) */
ZEP_EXPORT uint8_t ZEPAPI RenderWindow(HWND target, int32_t width, int32_t height); /* present (0, 0, width, height) */
ZEP_EXPORT uint8_t ZEPAPI RenderRect(HWND target, int32_t left, int32_t top, int32_t right, int32_t bottom); /* present a rectangle (a RECT by value on 32-bit stacks) */
ZEP_EXPORT LRESULT ZEPAPI ResizeMainWindow(int32_t width, int32_t height); /* 0, 0: follow the client size */
ZEP_EXPORT void ZEPAPI FullScreen(uint8_t on); /* toggle only when the state differs */
ZEP_EXPORT uint8_t ZEPAPI PutFPS(void); /* draw the frame rate top left */
ZEP_EXPORT void ZEPAPI CloseZEPengine(void); /* release everything on the device */
ZEP_EXPORT WNDPROC ZEPAPI GetD3DMsgProc(void); /* the engine's window procedure, for forwarding */
ZEP_EXPORT void ZEP_log(const char* format, ...) ZEP_PRINTF_FORMAT(1, 2); /* append to Log\ZEP.log */

/* ---- Camera and placement ---------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetCameraPos(const D3DMATRIX* camera); /* world to camera */
ZEP_EXPORT void ZEPAPI SetObjectCarrier(const D3DMATRIX* carrier); /* object to world for what is drawn next */
ZEP_EXPORT void ZEPAPI SetSpriteCarrier(const D3DMATRIX* carrier); /* carrier position only, facing the viewer */
ZEP_EXPORT void ZEPAPI SetVisiblityMatrix(const D3DMATRIX* m); /* kept for world object drawing */
ZEP_EXPORT void ZEPAPI GetWorldMatrix(D3DMATRIX* out); /* carrier x camera as given to the device */
ZEP_EXPORT void ZEPAPI Setviewmatrix(const D3DMATRIX* view); /* device view transform */
ZEP_EXPORT void ZEPAPI SetSunDirection(float x, float y, float z); /* directional lights and bump lighting */

/* ---- Point projection -------------------------------------------------- */

ZEP_EXPORT void ZEPAPI ProjectPoint(D3DVECTOR* v); /* source space to viewport pixels and depth */
ZEP_EXPORT void ZEPAPI TransformPoint(D3DVECTOR* v); /* through the world matrix */
ZEP_EXPORT void ZEPAPI PixelTransform(D3DVECTOR* v); /* viewport fractions and depth back to source space */
ZEP_EXPORT void ZEPAPI PixelTransformByMouse(D3DVECTOR* v); /* the mouse position at depth v->z back to source space */

/* ---- Vertex source ----------------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetLightObjRender(void); /* draw from the static pool */
ZEP_EXPORT void ZEPAPI SetDynamicBufferRender(void); /* draw from the dynamic pool */
ZEP_EXPORT void ZEPAPI SetLayerRender(void); /* draw from the layer pool */

/* ---- Render states ----------------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetAntialias(int32_t on); /* multisample antialiasing */
ZEP_EXPORT void ZEPAPI SetFillMode(int32_t flags); /* ZEP_FILL_* */
ZEP_EXPORT void ZEPAPI SetAlphaMode(void); /* blended, no depth writes */
ZEP_EXPORT void ZEPAPI SetNoAlphaMode(void); /* alpha-tested, depth writes */
ZEP_EXPORT void ZEPAPI SetClampMode(void); /* stages 0 and 1 clamp */
ZEP_EXPORT void ZEPAPI SetWrapMode(void); /* stages 0 and 1 wrap */
ZEP_EXPORT void ZEPAPI SetAlphaBlendMode(int32_t alphaOperation, int32_t alphaReference); /* reference -1: no alpha test or blending */
ZEP_EXPORT void ZEPAPI SetBlendMode(int32_t colorOperation); /* stage-0 colour operation */
ZEP_EXPORT void ZEPAPI SetFrameBlendMode(uint32_t mode); /* source and destination blend, modes 0 to 4 */
ZEP_EXPORT void ZEPAPI SetZBIAS(float bias); /* D3DRS_ZBIAS */
ZEP_EXPORT void ZEPAPI SetNormalizeNormals(int32_t on); /* D3DRS_NORMALIZENORMALS */
ZEP_EXPORT void ZEPAPI SetWaterMode(int32_t on); /* mirrored reflection pass */
ZEP_EXPORT void ZEPAPI SetPolyClip(void); /* clipping on */
ZEP_EXPORT void ZEPAPI SetPolyNoClip(void); /* clipping off */
ZEP_EXPORT void ZEPAPI grCullMode(int32_t mode); /* 0 none, 1 CW, 2 CCW */
ZEP_EXPORT void ZEPAPI grDepthBufferMode(int32_t on); /* depth test */
ZEP_EXPORT void ZEPAPI grDepthMask(int32_t on); /* depth writes */
ZEP_EXPORT void ZEPAPI grDepthBufferFunction(uint32_t function); /* 0 to 7: D3DCMP_NEVER to D3DCMP_ALWAYS */

/* ---- Projection and viewport (-1 keeps the stored value) ---------------- */

ZEP_EXPORT void ZEPAPI SetViewParameters(float x, float y, float width, float height, float minZ, float maxZ); /* viewport; x -1 re-applies the stored one */
ZEP_EXPORT void ZEPAPI SetViewportParameters(float x, float y, float width, float height, float fov, float aspect, float nearClip, float farClip); /* viewport and perspective */
ZEP_EXPORT void ZEPAPI SetProjectParameters(float fov, float aspect, float nearClip, float farClip, float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ, float upX, float upY, float upZ); /* perspective and look-at view */
ZEP_EXPORT void ZEPAPI SetAxViewportParameters(float x, float y, float width, float height, float scale, float aspect, float nearClip, float farClip); /* viewport and orthographic projection */
ZEP_EXPORT void ZEPAPI SetAxProjectParameters(float scale, float aspect, float nearClip, float farClip, float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ, float upX, float upY, float upZ); /* orthographic and look-at view */

/* ---- Lights and fog ---------------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetupDiffuseLight(int32_t index, uint32_t ambient, uint32_t diffuse); /* directional along the sun */
ZEP_EXPORT HRESULT ZEPAPI SetupSpecularLight(int32_t index, uint32_t diffuse, uint32_t specular); /* directional along the sun, with specular */
ZEP_EXPORT HRESULT ZEPAPI SetupPointLight(int32_t index, float x, float y, float z, uint32_t ambient, uint32_t diffuse, float range); /* point light at a world position */
ZEP_EXPORT void ZEPAPI SetDefaultLight(uint32_t color, float attenuation0, float attenuation1, float attenuation2, float falloff); /* -1 keeps a float */
ZEP_EXPORT HRESULT ZEPAPI LightOff(int32_t index); /* disable one light */
ZEP_EXPORT HRESULT ZEPAPI LightsOff(void); /* unlit drawing */
ZEP_EXPORT HRESULT ZEPAPI SetAmbientColor(uint32_t color); /* ambient light and texture factor */
ZEP_EXPORT HRESULT ZEPAPI SetLightMode(uint8_t lightingMode, uint8_t colorVertex); /* lightingMode 0: everything lit white */
ZEP_EXPORT HRESULT ZEPAPI EnableFog(float start, float end, uint32_t color); /* linear vertex fog */
ZEP_EXPORT HRESULT ZEPAPI DisableFog(void); /* fog off */

/* ---- Matrices (pure; usable before initialisation) ---------------------- */

ZEP_EXPORT void ZEPAPI ZEP_matmul4x4(const D3DMATRIX* a, const D3DMATRIX* b, D3DMATRIX* out); /* out = a x b; out must not alias */
ZEP_EXPORT void ZEPAPI ZEP_matcpy4x4(D3DMATRIX* dst, const D3DMATRIX* src); /* copy */
ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_matscale4x4(D3DMATRIX* m, float sx, float sy, float sz); /* scale the 3 x 3 part's columns in place */
ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_matrix4x4(D3DMATRIX* out, float ax, float ay, float az, float tx, float ty, float tz); /* rotate about x, y, z, then translate */
ZEP_EXPORT D3DMATRIX* ZEPAPI ZEP_setmatrix4x4(D3DMATRIX* out, float tx, float ty, float tz, float sx, float sy, float sz); /* scale and translate (translation first) */
ZEP_EXPORT void ZEPAPI ZEP_mattrans4x4(const D3DMATRIX* m, float x, float y, float z, D3DVECTOR* out); /* transform a point */
ZEP_EXPORT void ZEPAPI ZEP_matrot4x4(const D3DMATRIX* m, float x, float y, float z, D3DVECTOR* out); /* transform a direction */
ZEP_EXPORT void ZEPAPI ZEP_matinv4x4(const D3DMATRIX* src, D3DMATRIX* dst); /* inverse of a rigid transform; dst->_44 untouched */

/* ---- Keyboard ---------------------------------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI InitKeyBuff(HINSTANCE instance); /* acquire the keyboard */
ZEP_EXPORT uint8_t ZEPAPI RefreshKeyBuff(void); /* read ZEPengine.keys; 1 if the read reported anything but success */

/* ---- Mouse controller -------------------------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI GetMouseLB(void); /* 1 while dragging */
ZEP_EXPORT uint8_t ZEPAPI GetMouseLBdown(void); /* the pressed latch */
ZEP_EXPORT uint8_t ZEPAPI ClearMouseLBdown(void); /* clear the latch; returns it */
ZEP_EXPORT uint8_t ZEPAPI TestMouseonButton(int32_t x, int32_t y, int32_t width, int32_t height); /* consume a press inside the rectangle */
ZEP_EXPORT D3DMATRIX* ZEPAPI GetMouseMatrix(D3DMATRIX* out); /* trackball rotation with pan and dolly; returns out */
ZEP_EXPORT D3DMATRIX* ZEPAPI GetMouseMapMatrix(D3DMATRIX* out); /* map translation x map rotation; returns out */
ZEP_EXPORT void ZEPAPI GetMouseMapTranslationMatrix(D3DMATRIX* out); /* map translation */
ZEP_EXPORT void ZEPAPI SetMouseMapTranslationMatrix(const D3DMATRIX* m); /* replace the map translation */
ZEP_EXPORT const D3DMATRIX* ZEPAPI SetMouseMatrix(const D3DMATRIX* m); /* reset rotation and translation from m; returns m */

/* ---- Text -------------------------------------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI SetFont(const char* face, float size, int32_t flags); /* ZEP_FONT_* */
ZEP_EXPORT uint8_t ZEPAPI Drawtext(const char* text, int32_t unused, float x, float y, float alignX, float alignY, int32_t scaled); /* screen text; scaled: 640 x 480 units */
ZEP_EXPORT uint8_t ZEPAPI Drawtextin3D(const char* text, uint32_t color, float unused1, float unused2, float x, float y, float z); /* glyph quads through the world transform */
ZEP_EXPORT uint8_t ZEPAPI Draw3Dtext(ID3DXMesh* mesh, uint32_t color); /* draw a text mesh; null does nothing */
ZEP_EXPORT uint8_t ZEPAPI CreateD3DXTextMesh(ID3DXMesh** out, const char* text, const char* face, int32_t unused, float extrusion, float x, float y, float alignX, float alignY); /* extruded text mesh */

/* ---- Object files ------------------------------------------------------ */

ZEP_EXPORT int32_t ZEPAPI loadobj(const char* path); /* object handle, or -1 */
ZEP_EXPORT int32_t ZEPAPI loadmorphobj(const char* path); /* morph object handle, or -1 */
ZEP_EXPORT uint8_t ZEPAPI saveobj(const char* path, int32_t obj); /* write as OBJ version 240 */

/* ---- Building objects -------------------------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI InitObj(int32_t obj, int32_t flags); /* start object obj and its first mesh */
ZEP_EXPORT uint8_t ZEPAPI AddMesh(int32_t obj, int32_t mesh); /* close mesh - 1, open mesh */
ZEP_EXPORT int32_t ZEPAPI AddLightVertex(float x, float y, float z, float nx, float ny, float nz, float tu, float tv, uint32_t color); /* vertex number in the object, or -1 */
ZEP_EXPORT int32_t ZEPAPI AddLightVertex2(float x, float y, float z, float nx, float ny, float nz, float tu1, float tv1, float tu2, float tv2, uint32_t color); /* same with two coordinate pairs */
ZEP_EXPORT int32_t ZEPAPI AddPolyIndexes(int32_t first, int32_t second, int32_t third); /* one triangle; new index fill, or -1 */
ZEP_EXPORT uint8_t ZEPAPI CloseObj(int32_t obj, int32_t lastMesh); /* set the last mesh, compute box and radius */

/* ---- Object registry --------------------------------------------------- */

ZEP_EXPORT uint8_t ZEPAPI ModifyStaticVertex(int32_t obj, int32_t vertex, const VertexExchange* in); /* overwrite a vertex of obj */
ZEP_EXPORT uint8_t ZEPAPI GetStaticVertex(int32_t obj, int32_t vertex, VertexExchange* out); /* read a vertex of obj */
ZEP_EXPORT int32_t ZEPAPI GetIndex(int32_t i); /* 16-bit index at absolute position i, or -1 */
ZEP_EXPORT uint8_t ZEPAPI ModifyIndex(int32_t i, int32_t value); /* low 16 bits of value */
ZEP_EXPORT void ZEPAPI SetObjsNumber(int32_t n); /* commit or roll back objects */
ZEP_EXPORT int32_t ZEPAPI GetObjsNumber(void); /* objects in use */
ZEP_EXPORT void ZEPAPI SetMeshesNumber(int32_t n); /* commit or roll back meshes */
ZEP_EXPORT int32_t ZEPAPI GetMeshesNumber(void); /* meshes in use */
ZEP_EXPORT void ZEPAPI SetMeshMaterial(int32_t mesh, int32_t texture, int32_t texture2, int32_t blendMode, int32_t userValue, float materialParam, uint8_t wrapU0, uint8_t wrapV0, uint8_t wrapU1, uint8_t wrapV1, float opacity); /* -1 keeps a field; wrap flags always written */
ZEP_EXPORT void ZEPAPI GetMeshMaterial(int32_t mesh, int32_t* texture, int32_t* texture2, int32_t* blendMode, int32_t* userValue, float* materialParam, uint8_t* wrapU0, uint8_t* wrapV0, uint8_t* wrapU1, uint8_t* wrapV1, float* opacity); /* the same ten fields out */
ZEP_EXPORT int32_t ZEPAPI GetHelperCount(int32_t obj); /* helpers of obj */
ZEP_EXPORT HelperResult ZEPAPI GetHelper(int32_t obj, int32_t i); /* helper i of obj in engine axes */

/* ---- Textures ---------------------------------------------------------- */

ZEP_EXPORT int32_t ZEPAPI textureload(const char* name, int32_t mode); /* find along the texture paths; handle or -1 */
ZEP_EXPORT int32_t ZEPAPI AddTextureToList(const char* name, IDirect3DTexture8* texture); /* register; -1 for names of 30 characters or more */
ZEP_EXPORT int32_t ZEPAPI CreateTexture(const char* name, int32_t width, int32_t height, int32_t mode); /* empty managed texture; handle or -1 */
ZEP_EXPORT uint8_t ZEPAPI ReloadTexture(int32_t handle, int32_t level, const void* src, int32_t srcFormat, int32_t srcPitch, int32_t filter); /* fill a level from memory */
ZEP_EXPORT uint8_t ZEPAPI ReloadTextureEx(int32_t handle, int32_t level, const void* src, int32_t srcFormat, int32_t srcWidth, int32_t srcHeight, int32_t srcPitch, int32_t filter); /* fill a level from a scaled memory rectangle */
ZEP_EXPORT int32_t ZEPAPI downloadtexture(int32_t handle, int32_t level, void* dst, int32_t maxBytes); /* copy a level out; bytes copied or -1 */
ZEP_EXPORT uint8_t ZEPAPI gettextureprops(int32_t handle, int32_t level, TextureProps* props); /* path, format and size of a level */
ZEP_EXPORT void ZEPAPI SetCurrentTexture(int32_t handle); /* stage 0 texture x diffuse; negative: diffuse only */
ZEP_EXPORT void ZEPAPI SetTextureFiltering(int32_t maxAnisotropy, uint8_t fullDetail, int32_t filter); /* stages 0 to 2 */
ZEP_EXPORT void ZEPAPI GetMaxTextureSize(int32_t* width, int32_t* height); /* device limits */
ZEP_EXPORT void ZEPAPI SetDefaultTexture(int32_t handle); /* drawn for meshes without a texture */
ZEP_EXPORT uint8_t ZEPAPI CopyScreencopyTexture(int32_t handle); /* copy the render target into a texture */
ZEP_EXPORT void ZEPAPI guTexMemReset(void); /* release loaded textures; next handle is 3 */

/* ---- Object drawing ---------------------------------------------------- */

ZEP_EXPORT void ZEPAPI putclipobj(int32_t obj); /* draw one object with the current world transform */
ZEP_EXPORT void ZEPAPI PutWorldObj(WorldObject* array, int32_t reserved); /* PutWorldObjMax(array, 0, reserved, 0x7FFF, 0) */
ZEP_EXPORT void ZEPAPI PutWorldObjMax(WorldObject* array, int32_t first, int32_t reserved, int32_t maxEntries, uint8_t force); /* walk and draw a world object array */
ZEP_EXPORT void ZEPAPI SwitchRenderPhase(int32_t phase); /* stencil shadow passes 0 to 10 */
ZEP_EXPORT uint8_t ZEPAPI SetLightMap(int32_t handle); /* stage-2 light map; -1 off */
ZEP_EXPORT void ZEPAPI SetMorph(int32_t obj, int32_t morphSlot, float morphWeight); /* slot -1: ordinary again */
ZEP_EXPORT uint8_t ZEPAPI UpdateMorph(int32_t dst, int32_t src); /* copy src's shape into dst's morph targets */
ZEP_EXPORT void ZEPAPI SetDotSize(float size, float scaleA, float scaleC, uint8_t scaleEnable); /* point size and scaling */
ZEP_EXPORT void ZEPAPI PutDot(float x, float y, float z, uint32_t color); /* one point */

/* ---- Debug drawing of normals and boxes ----------------------------------
 * lines is a thin-line array from CreateLinearray that the host keeps; the
 * engine appends the object box, every vertex normal (length long) and every
 * clip box to it and draws what it appended. */

ZEP_EXPORT void ZEPAPI DrawObjNormals(int32_t obj, float length, LineArray* lines, uint32_t boxColor, uint32_t normalColor, uint32_t clipBoxColor); /* one object */
ZEP_EXPORT void ZEPAPI PutWorldObjNormal(WorldObject* array, int32_t parity, uint32_t boxColor, uint32_t normalColor, uint32_t clipBoxColor, float length, LineArray* lines); /* records whose flags bit 0 equals parity */

/* ---- Dynamic and layer vertices ---------------------------------------- */

ZEP_EXPORT void ZEPAPI ResetDynamicVertexBuffer(void); /* dynamic fill 0 */
ZEP_EXPORT int32_t ZEPAPI AddDynamicVertex(float x, float y, float z, float unused1, float unused2, float unused3, float u, float v, uint32_t color); /* index, or -1 */
ZEP_EXPORT void ZEPAPI DrawDynamicDots(int32_t first, int32_t count); /* points from the dynamic pool */
ZEP_EXPORT void ZEPAPI DrawDynamicPolys(int32_t first, int32_t count); /* triangle list from the current stream */
ZEP_EXPORT void ZEPAPI DrawLayerPolys(int32_t first, int32_t count); /* same as DrawDynamicPolys */
ZEP_EXPORT HRESULT ZEPAPI DrawPrimitiveUp(int32_t count, const void* vertices); /* triangle strip of DynamicVertex from host memory */
ZEP_EXPORT void ZEPAPI ResetLayerVertexBuffer(void); /* layer fill back to the layer base */
ZEP_EXPORT int32_t ZEPAPI AddLayerVertex(float x, float y, float z, float u, float v, uint32_t color); /* index, or -1 */

/* ---- Line arrays ------------------------------------------------------- */

ZEP_EXPORT LineArray* ZEPAPI CreateLinearray(int32_t capacity, int32_t flags); /* ZEP_LINES_*; null on failure */
ZEP_EXPORT void ZEPAPI ResetLineArray(LineArray* lines); /* empty, one strip */
ZEP_EXPORT int32_t ZEPAPI AddLineVertex(LineArray* lines, uint8_t continueStrip, float x, float y, float z, uint32_t color); /* continueStrip 0 ends the strip here; index or -1 */
ZEP_EXPORT void ZEPAPI SetLineRender(LineArray* lines); /* draw from this array */
ZEP_EXPORT void ZEPAPI SetWideLineRender(LineArray* lines, int32_t mode, float wide, float towv); /* wide-line program; lines may be null */
ZEP_EXPORT void ZEPAPI DrawLines(LineArray* lines, int32_t first, int32_t count); /* visible strips as line strips; count 0: all */
ZEP_EXPORT void ZEPAPI DrawWideLines(LineArray* lines, int32_t first, int32_t count); /* visible strips through the wide-line program */

/* ---- Sprites and markers ----------------------------------------------- */

ZEP_EXPORT void ZEPAPI SetSprite(int32_t firstVertex, int32_t texture, float halfWidth, float halfHeight, float uLeft, float vTop, float uRight, float vBottom, uint32_t color); /* rewrite a quad */
ZEP_EXPORT void ZEPAPI SetMarker(int32_t texture, float halfWidth, float halfHeight, float uLeft, float vTop, float uRight, float vBottom, uint32_t color); /* rewrite the marker quad */
ZEP_EXPORT void ZEPAPI PutMarker(void); /* draw the marker quad */
ZEP_EXPORT void ZEPAPI PutSprite(int32_t firstVertex); /* draw the quad at firstVertex */
ZEP_EXPORT uint8_t ZEPAPI TestPointVisibility(float x, float y, float z); /* 1 when the point is not hidden */

/* ======================================================================
 * World objects, maps, paths, shadows, terrain and capture
 * ====================================================================== */

/* ======================================================================== */
/* World objects and animation                                              */
/* ======================================================================== */

typedef struct AnimState AnimState;
typedef struct AnimGroup AnimGroup;
typedef struct ParticleSystem ParticleSystem;
typedef struct Particle Particle;

/* WorldObject.flags: the kind of a record. Hosts and the engine compare the
 * whole value for ZEP_WORLD_END and ZEP_WORLD_EMPTY and test bits otherwise. */
#define ZEP_WORLD_END (-1)            /* end of the array */
#define ZEP_WORLD_OBJECT 0x1          /* draws an object (or is a named placeholder) */
#define ZEP_WORLD_EMPTY 0x8           /* empty or freed record; reused by AddSceneObject/AddSceneSprite */
#define ZEP_WORLD_SPRITE 0x10         /* camera-facing sprite; objIndex is a texture index */
#define ZEP_WORLD_ALPHA 0x20          /* alpha object, copied from the object registry */
#define ZEP_WORLD_STOP_WALK 0x100     /* drawing stops after this record; set only by hosts */
#define ZEP_WORLD_PARTICLES 0x1000    /* particles points to an emitter */
#define ZEP_WORLD_ANIM_GROUP 0x4000   /* anim is an AnimGroup */
#define ZEP_WORLD_SELF_ANIM 0x8000    /* anim is the record's own AnimState */

/* WorldObject.physics: behaviour bits, named after the OSR PHYSICSTYPE keywords.
 * AIMY, AIMXY, CONE, SPHERE, LEVITATE and FLOATING act only as the whole value. */
#define ZEP_PHYSICS_NONE 0x0
#define ZEP_PHYSICS_ROTATE 0x1             /* spins about its vertical axis */
#define ZEP_PHYSICS_AIMY 0x2               /* turns towards the origin */
#define ZEP_PHYSICS_AIMXY 0x4              /* turns and pitches towards the origin, and bobs */
#define ZEP_PHYSICS_CONE 0x8               /* particles leave in a cone */
#define ZEP_PHYSICS_SPHERE 0x10            /* particles start spread around the emitter */
#define ZEP_PHYSICS_PLAYANIM 0x20          /* nested animations start when the viewer comes near */
#define ZEP_PHYSICS_DESTROYPARTICLES 0x40  /* stored only */
#define ZEP_PHYSICS_ROTATEZ 0x80           /* stored only */
#define ZEP_PHYSICS_POWERUP 0x200          /* stored only */
#define ZEP_PHYSICS_LEVITATE 0x4000        /* bobs up and down */
#define ZEP_PHYSICS_FLOATING 0x8000        /* bobs and sways */

/* WorldObject.animType: how playback ends. */
#define ZEP_ANIMTYPE_ONCE 0x1              /* rests on the last key */
#define ZEP_ANIMTYPE_OSCILLATE 0x2         /* runs back and forth */
#define ZEP_ANIMTYPE_LOOP 0x4              /* restarts at key 0 */
#define ZEP_ANIMTYPE_REVERSE 0x8           /* set while an oscillation runs backwards */
#define ZEP_ANIMTYPE_HIDE_AT_END 0x10      /* a self-animated record hides at the end */
#define ZEP_ANIMTYPE_ONCEANDDESTROY 0x11   /* ONCE | HIDE_AT_END */

/* Capacities of the animation and particle records. */
#define ZEP_ANIMGROUP_TARGETS 128          /* records one group moves */
#define ZEP_ANIMGROUP_NAMES 256            /* bytes of the comma-separated target list */
#define ZEP_PARTICLE_SLOTS 100             /* slots of every particle system */

/* One placed thing of a world object array (732 bytes on 32-bit targets).
 * Arrays end at the first record whose flags is ZEP_WORLD_END; hosts step
 * through them by sizeof(WorldObject) and respawning copies whole records. */
struct WorldObject {
    char path[100];              /*   0 file named by NAME:/OBJECT:, upper case, '/' separated */
    char objName[100];           /* 100 OBJNAME: identifier, matched by animation groups */
    D3DMATRIX baseMatrix;        /* 200 placement at load; animation is applied on top of it */
    D3DMATRIX matrix;            /* 264 current placement, row 3 the translation */
    D3DMATRIX motionMatrix;      /* 328 per-frame motion of moving records */
    int32_t objIndex;            /* 392 object index (texture index for sprites); -1 none */
    float reservedDistance;      /* 396 written (1.0e8 or 100.0), never read */
    uint8_t reserved400[16];     /* 400 untouched by the engine */
    float viewDistance;          /* 416 drawn while 0.0018 x squared viewer distance is below this */
    uint8_t active;              /* 420 1 drawn and updated, 0 hidden */
    int32_t flags;               /* 424 ZEP_WORLD_* kind; ZEP_WORLD_END ends the array */
    WorldObject* children;       /* 428 nested array of an OSR file, or null */
    ParticleSystem* particles;   /* 432 emitter, or null */
    uint8_t moving;              /* 436 1 applies motionMatrix every frame */
    int32_t physics;             /* 440 ZEP_PHYSICS_* behaviour */
    float rndFactor;             /* 444 spread of the respawn factor */
    float dispersion;            /* 448 spread of respawn angles and particle starts */
    float mass;                  /* 452 downward pull per frame */
    float mainPower;             /* 456 launch speed of respawned copies */
    int32_t respawnTime;         /* 460 frame time (ms) of the next respawn or removal; -1 never */
    int32_t mainLifetime;        /* 464 lifetime in ms */
    int32_t animTime;            /* 468 frame time of the last animation update; -1 none */
    WorldObject* spawnSource;    /* 472 record copied over this one when it expires, or null */
    AnimState* anim;             /* 476 playback state; an AnimGroup (which starts with one) under ZEP_WORLD_ANIM_GROUP */
    int32_t animType;            /* 480 ZEP_ANIMTYPE_* bits */
    int32_t hurt;                /* 484 HURT: value */
    int32_t armour;              /* 488 ARMOUR: value */
    float triggerRadius;         /* 492 PLAYANIM trigger; its sign flips once it fired */
    uint8_t reserved496[236];    /* 496 untouched by the engine */
};

/* Playback state of one record (20 bytes). */
struct AnimState {
    float speed;                 /*  0 ticks per ms; negative while an oscillation runs back */
    int32_t position;            /*  4 current time in ticks; -1 stopped */
    uint8_t reserved8[4];        /*  8 unused */
    int32_t key;                 /* 12 key at which the current segment starts */
    uint8_t reserved16[4];       /* 16 unused */
};

/* State of an animation group record (8988 bytes): the carrier's animation
 * moves a list of other records of the same array. */
struct AnimGroup {
    AnimState state;                                  /*    0 playback of the group */
    int32_t reserved20;                               /*   20 written as 4 at creation, never read */
    int32_t targetCount;                              /*   24 targets in use */
    char names[ZEP_ANIMGROUP_NAMES];                  /*   28 ANIMATION: list as read, comma separated */
    WorldObject* targets[ZEP_ANIMGROUP_TARGETS];      /*  284 records the group moves; null ends the list */
    D3DMATRIX targetBases[ZEP_ANIMGROUP_TARGETS];     /*  796 each target's matrix at load time */
};

/* An emitter of textured particles (68 bytes). */
struct ParticleSystem {
    int32_t slots;               /*  0 slots scanned when drawing */
    int32_t lastSlot;            /*  4 slot of the latest emission */
    int32_t lastEmission;        /*  8 frame time (ms) of the latest emission */
    int32_t lifetime;            /* 12 particle lifetime in ms */
    int32_t emissionInterval;    /* 16 ms between emissions; 0 or less never emits */
    float power;                 /* 20 launch speed factor */
    float growth;                /* 24 scale factor applied every frame */
    float size;                  /* 28 initial scale */
    uint32_t fadeStep;           /* 32 subtracted from the colour every frame, 8.24 fixed point */
    int32_t grid[3];             /* 36 UVGRID:, GRIDU:, GRIDV: values; not drawn */
    uint8_t reserved48[12];      /* 48 unused */
    int32_t texture;             /* 60 texture index; -1 untextured */
    Particle* particles;         /* 64 the slot array */
};

/* One particle slot (92 bytes). */
struct Particle {
    uint8_t alive;               /*  0 1 while the particle lives */
    D3DMATRIX matrix;            /*  4 3x3 part the scale, row 3 the position in carrier space */
    D3DVECTOR velocity;          /* 68 movement per frame */
    int32_t deathTime;           /* 80 frame time (ms) at which it dies */
    uint8_t reserved84[4];       /* 84 unused */
    uint32_t colour;             /* 88 ARGB; only alpha is drawn, over white */
};

/* Loading (OSR scene files or single OBJ files) */
ZEP_EXPORT int32_t ZEPAPI loadworldobject(const char* name, WorldObject** handle); /* loads into *handle (allocated when null); records before the end marker, -1 failure */
ZEP_EXPORT int32_t ZEPAPI loadworldobjectfromSZR(const char* name, WorldObject** handle); /* SZR files are not read: always -1 */

/* Animation playback */
ZEP_EXPORT void ZEPAPI PlayAnim(WorldObject* rec, float speed); /* starts or continues rec's animation, or its children's */
ZEP_EXPORT void ZEPAPI StopAnim(WorldObject* rec); /* stops and restores baseMatrix, for rec and its children */
ZEP_EXPORT void ZEPAPI CreateSelfAnim(WorldObject* rec); /* gives rec a stopped AnimState of its own */

/* Scene objects and particles added at run time */
ZEP_EXPORT void ZEPAPI InitSceneObject(WorldObject* rec); /* resets rec to a visible object record; matrices and anim untouched */
ZEP_EXPORT int32_t ZEPAPI AddSceneObject(WorldObject* array, int32_t start, int32_t capacity, int32_t objIndex, const D3DMATRIX* placement, const D3DVECTOR* velocity, int32_t lifetime, WorldObject* source); /* record index, -1 when full */
ZEP_EXPORT int32_t ZEPAPI AddSceneSprite(WorldObject* array, int32_t start, int32_t capacity, int32_t texture, const D3DMATRIX* placement, const D3DVECTOR* velocity, int32_t lifetime, WorldObject* source); /* record index, -1 when full */
ZEP_EXPORT void ZEPAPI AddParticleToObject(WorldObject* rec, int32_t texture, int32_t lifetime, int32_t emissionInterval, float size, float mass, float power, float growth); /* hands rec the next emitter of the pool */

/* ======================================================================== */
/* Picking                                                                  */
/* ======================================================================== */

#define ZEP_RAY_NO_HIT (-1)      /* RayHit.hit when nothing was hit */

/* What TestIntersection found (32 bytes). */
typedef struct RayHit {
    int32_t hit;                 /*  0 index-list position just past the hit triangle; ZEP_RAY_NO_HIT */
    float distance;              /*  4 along the ray, in ray-direction lengths */
    float u;                     /*  8 barycentric weight of the triangle's second vertex */
    float v;                     /* 12 barycentric weight of its third vertex */
    float tu0;                   /* 16 fractional first texture coordinate pair at the hit */
    float tv0;                   /* 20 */
    float tu1;                   /* 24 fractional second texture coordinate pair at the hit */
    float tv1;                   /* 28 */
} RayHit;

ZEP_EXPORT float ZEPAPI IntersectionOverPoint(int32_t objIndex, int32_t x, int32_t y); /* largest screen depth of the object at the pixel; -1 none */
ZEP_EXPORT float ZEPAPI IntersectionOverMouse(int32_t objIndex); /* the same at the mouse position */
ZEP_EXPORT int32_t ZEPAPI IntersectionWorlObjectOverPoint(const WorldObject* world, int32_t x, int32_t y); /* nearest record at the pixel; -1 none */
ZEP_EXPORT int32_t ZEPAPI IntersectionWorlObjectOverMouse(const WorldObject* world); /* the same at the mouse position */
ZEP_EXPORT uint8_t ZEPAPI TestIntersection(const D3DMATRIX* placement, int32_t objIndex, float originX, float originY, float originZ, float directionX, float directionY, float directionZ, float maxDistance, RayHit* result); /* 1 when a triangle was hit; maxDistance 0 takes the nearest; the direction is carried into object space as a point */

/* ======================================================================== */
/* Map layers (MIF/MID)                                                     */
/* ======================================================================== */

#define ZEP_MAP_COLUMNS 256          /* column definitions a layer keeps (MIF allows 250) */
#define ZEP_MAP_COLUMN_NAME 100      /* bytes per column definition line */
#define ZEP_MAP_TEXT 1000            /* bytes of a label text slot */

/* One labelled map object (1040 bytes). */
typedef struct MapObject {
    float labelX;                /*    0 where label and sign are drawn */
    float labelY;                /*    4 */
    float x0;                    /*    8 bounds of the object */
    float y0;                    /*   12 */
    float x1;                    /*   16 */
    float y1;                    /*   20 */
    char text[ZEP_MAP_TEXT];     /*   24 label of the MIF object whose ordinal is this entry's index */
    int32_t ordinal;             /* 1024 MIF object number, the MID row of its label */
    int32_t extent;              /* 1028 Polys vertex count, or triangleCount after a region; else 0 */
    float height;                /* 1032 TEXT height; 0 for every other kind */
    float angle;                 /* 1036 TEXT angle in radians */
} MapObject;

/* A map layer, allocated by the host and filled by CreateMapLayer
 * (25704 bytes). Fields marked "host" are set between InitMapLayer and the
 * import or before drawing. */
typedef struct MapLayer {
    MapObject* objects;              /*   0 entries, freed by DeleteMapLayer */
    LineArray* lines;                /*   4 every outline strip */
    DynamicVertexBuffer triangles;   /*   8 filled triangles, triangle-list dynamic vertices */
    int32_t objectCount;             /*  36 entries in use */
    float minX;                      /*  40 bounds of every coordinate read */
    float minY;                      /*  44 */
    float maxX;                      /*  48 */
    float maxY;                      /*  52 */
    int32_t columnCount;             /*  56 lines of the Columns block */
    uint8_t* labelColumns;           /*  60 host: one byte per MID column, non-zero joins the label; null no labels */
    int32_t texture;                 /*  64 host: texture of fills and wide lines; -1 none */
    int32_t triangleCount;           /*  68 triangles in triangles */
    float reserved72;                /*  72 written as 0.0, never read */
    float labelRange;                /*  76 host: labels show while 0 or above the camera height */
    uint32_t colour;                 /*  80 host: ARGB of outlines, Polys and fills */
    int32_t labelColour;             /*  84 host: ARGB of labels and signs */
    float lineWidth;                 /*  88 host: 0 thin lines, above 0 wide lines of this factor */
    float signSize;                  /*  92 host: sign size factor; 0 sizes by text */
    int32_t signMarker;              /*  96 host: marker drawn at labels; -1 none */
    uint8_t fillRegions;             /* 100 host: non-zero fills regions, zero outlines them */
    uint8_t thinOverWide;            /* 101 host: non-zero draws thin lines over wide ones */
    uint8_t useCenterClauses;        /* 102 host: non-zero lets Center clauses place labels */
    uint8_t alwaysOnTop;             /* 103 host: non-zero draws outlines without depth test */
    char columnNames[ZEP_MAP_COLUMNS][ZEP_MAP_COLUMN_NAME]; /* 104 raw column definition lines */
} MapLayer;

/* Import */
ZEP_EXPORT uint8_t ZEPAPI InitMapLayer(MapLayer* layer); /* writes the defaults; always 1 */
ZEP_EXPORT uint8_t ZEPAPI CreateMapLayer(const char* name, MapLayer* layer); /* imports name.mif and name.mid untextured; 1 success */
ZEP_EXPORT uint8_t ZEPAPI CreateMapLayerEx(const char* name, MapLayer* layer, int32_t texture, float uOffset, float vOffset, float uScale, float vScale); /* the same with a fill texture mapped u = uOffset + uScale x, v = vOffset - vScale y */
ZEP_EXPORT const D3DMATRIX* ZEPAPI ResetMapMatrix(float x0, float y0, float x1, float y1); /* centres the mouse map view over the bounds; returns SetMouseMatrix's result (engine-owned matrix) */

/* Drawing and release */
ZEP_EXPORT HRESULT ZEPAPI RenderMapLayer(MapLayer* layer); /* fills then outlines; result of the last device call */
ZEP_EXPORT void ZEPAPI RenderMapLayerSign(MapLayer* layer); /* labels and signs at the label points */
ZEP_EXPORT HRESULT ZEPAPI SetNormalsonWideline(LineArray* lines, int32_t first, int32_t count); /* wide-line offsets and texture distances; negative when the lock fails */
ZEP_EXPORT uint8_t ZEPAPI DeleteMapLayer(MapLayer* layer); /* releases what the import put into layer; always 1 */

/* Export */
ZEP_EXPORT uint8_t ZEPAPI SaveMif(const char* path, const MapLayer* layer); /* writes outlines and fills as a MIF file; 1 written */

/* ======================================================================== */
/* Paths (ALK files)                                                        */
/* ======================================================================== */

/* The path store: slots of parts of curves of Bezier control points. */
#define ZEP_PATH_SLOTS 4             /* files loaded at once */
#define ZEP_PATH_PARTS 4             /* parts per slot */
#define ZEP_PATH_CURVES 8            /* curves per part */
#define ZEP_PATH_POINTS 200          /* control points per curve, four per segment */

ZEP_EXPORT int32_t ZEPAPI alkfileinit(int32_t slot, const char* name, float x, float y, float z); /* reads name.ALK into slot; parts read, -1 when missing; x, y, z have no effect */
ZEP_EXPORT int32_t ZEPAPI SetNurb(int32_t slot, int32_t part); /* selects the part bazerpost samples; returns slot */
ZEP_EXPORT void ZEPAPI bazerpost(float* x, float* y, float* z, int32_t curve, float t); /* point at t (0..1) along a curve of the selected part */

/* ======================================================================== */
/* Shadows                                                                  */
/* ======================================================================== */

#define ZEP_SHADOW_HEADER_SIZE 108   /* bytes before the vertices of both shadow buffers */

/* Header of a stencil shadow volume buffer (108 bytes); vertexCount
 * D3DVECTOR positions in object space follow it, six per extruded edge. */
typedef struct ShadowVolume {
    int32_t byteSize;            /*  0 block size, written when the engine allocated it */
    uint8_t reserved4[4];        /*  4 not written */
    int32_t vertexCount;         /*  8 vertices that follow, a multiple of 6 */
    D3DVECTOR box[8];            /* 12 corners of the volume's box, which holds the origin */
} ShadowVolume;

/* Header of a projected shadow buffer (108 bytes); vertexCount
 * ProjectedShadowVertex entries follow it, three per triangle. */
typedef struct ProjectedShadow {
    int32_t byteSize;            /*  0 block size, written when the engine allocated it */
    uint8_t kind;                /*  4 1 */
    int32_t vertexCount;         /*  8 vertices that follow, a multiple of 3 */
    D3DVECTOR box[8];            /* 12 corners of the receiving object's box */
} ProjectedShadow;

/* One vertex of a projected shadow (20 bytes). */
typedef struct ProjectedShadowVertex {
    float x;                     /*  0 position in the receiver's space */
    float y;                     /*  4 */
    float z;                     /*  8 */
    float u;                     /* 12 shadow texture coordinates */
    float v;                     /* 16 */
} ProjectedShadowVertex;

/* How a caster was projected into its shadow texture (88 bytes). */
typedef struct ShadowProjection {
    int32_t texture;             /*  0 shadow texture index */
    float size[3];               /*  4 projected extent of the caster, three times */
    float uCentre;               /* 16 texture u of the caster's centre */
    float vCentre;               /* 20 texture v of the caster's centre */
    D3DMATRIX lightRotation;     /* 24 light orientation of the projection */
} ShadowProjection;

/* Stencil shadow volumes */
ZEP_EXPORT int32_t ZEPAPI ShadowSizeFromObj(int32_t objIndex); /* bytes ShadowBuildFromObj needs: 108 + 72 x index count */
ZEP_EXPORT ShadowVolume* ZEPAPI ShadowBuildFromObj(int32_t objIndex, float length, ShadowVolume* buffer); /* extrudes the lit edges along the sun; allocates when buffer is null; null on failure */
ZEP_EXPORT uint8_t ZEPAPI DrawShadow(const ShadowVolume* volume); /* marks the stencil under the current world transform; 0 for null */
ZEP_EXPORT uint8_t ZEPAPI GlobalRenderShadow(void); /* darkens marked pixels once per frame; always 1 */
ZEP_EXPORT void ZEPAPI SetShadowColor(uint32_t colour); /* ARGB shadow colour */
ZEP_EXPORT uint8_t ZEPAPI SWShadow(void); /* 1 when stencil shadows are unavailable */

/* Software and texture shadows */
ZEP_EXPORT uint8_t ZEPAPI RenderShadowToTexture(int32_t objIndex, const D3DMATRIX* placement, int32_t texture, ShadowProjection* projection); /* renders the caster from the sun into texture; 1 success */
ZEP_EXPORT ProjectedShadow* ZEPAPI SWShadowBuildFromObj(int32_t objIndex, const D3DMATRIX* receiver, const D3DMATRIX* caster, const ShadowProjection* projection, ProjectedShadow* buffer); /* receiver triangles under the shadow; allocates when buffer is null; null for a negative index */
ZEP_EXPORT uint8_t ZEPAPI SWDrawShadow(const ProjectedShadow* buffer, const ShadowProjection* projection); /* draws the shadow over its receiver; 0 on failure */
ZEP_EXPORT int32_t ZEPAPI SWShadowSizeFromObj(int32_t objIndex); /* bytes SWShadowBuildFromObj needs: 108 + 60 x index count */

/* ======================================================================== */
/* Terrain, sky and water                                                   */
/* ======================================================================== */

#define ZEP_VOXEL_COLUMNS 4096       /* height and colour map samples per row */
#define ZEP_VOXEL_ROWS 2048          /* height and colour map rows */

/* A landscape loaded by LoadVoxel, allocated by the host (2052 bytes). */
typedef struct VoxelMap {
    uint8_t* map;                /*    0 colour map, then the class map */
    uint8_t* heights;            /*    4 height map */
    float hue[4];                /*    8 hues (degrees) of the reference colours */
    int32_t colour[4];           /*   24 reference colours 0xRRGGBB of ground classes 0..3 */
    uint8_t reserved40[1000];    /*   40 unused */
    char directory[1000];        /* 1040 directory given to LoadVoxel */
    float scaleX;                /* 2040 256.0 */
    float scaleY;                /* 2044 256.0 */
    int32_t colourSize;          /* 2048 width of the colour texture: 4096, 2048 or 256 */
} VoxelMap;

/* Voxel terrain */
ZEP_EXPORT uint8_t ZEPAPI VoxelInit(void); /* sizes the colour texture to the device; result of the last attempt */
ZEP_EXPORT int32_t ZEPAPI LoadVoxel(const char* directory, VoxelMap* map); /* loads a terrain directory and classifies it; no status */
ZEP_EXPORT uint8_t ZEPAPI loadHeightMap(const char* path); /* reads a height TGA; 1 read */
ZEP_EXPORT uint8_t ZEPAPI saveHeightMap(const char* path); /* writes the height map as a grey TGA; 1 written */
ZEP_EXPORT int32_t ZEPAPI VoxelHlsSampling(VoxelMap* map); /* classifies the colour map by hue; no status */
ZEP_EXPORT int32_t ZEPAPI VoxelBlur(void); /* one smoothing pass over the class map; no status */
ZEP_EXPORT HRESULT ZEPAPI RenderVoxel(void); /* draws the terrain under the current carrier; result of the last device call */

/* Sky and water objects */
ZEP_EXPORT int32_t ZEPAPI CreateSky(const char* directory, float size, const char* first, const char* second, const char* third, const char* fourth, const char* ceiling, uint32_t colour); /* sky box object index */
ZEP_EXPORT int32_t ZEPAPI CreateWaterSurface(uint32_t colour); /* water plane object index */

/* ======================================================================== */
/* Capture                                                                  */
/* ======================================================================== */

/* The source argument of savetga, savebmp and savejpg. */
#define ZEP_CAPTURE_FRONT_BUFFER 0
#define ZEP_CAPTURE_BACK_BUFFER 1
#define ZEP_CAPTURE_RENDER_TARGET 2  /* any value other than 0 and 1 */

/* Screenshots */
ZEP_EXPORT uint8_t ZEPAPI savetga(const char* name, int32_t source, int32_t width, int32_t height); /* 24-bit TGA scaled to width x height (0: viewport); 1 written */
ZEP_EXPORT uint8_t ZEPAPI savebmp(const char* name, int32_t source, int32_t width, int32_t height); /* 24-bit BMP, the same way */
ZEP_EXPORT uint8_t ZEPAPI savejpg(const char* name, int32_t source, int32_t width, int32_t height, float quality); /* JPEG at quality 1..100, the same way */
ZEP_EXPORT uint8_t ZEPAPI SaveSurface(int32_t texture, int32_t level, const char* name, int32_t format); /* one texture level in a D3DX image file format; 1 written */
ZEP_EXPORT float ZEPAPI ToHLS(float r, float g, float b); /* hue in degrees of channels 0..255; 0 for grey */
ZEP_EXPORT void ZEPAPI SWAPRGB(uint32_t colour); /* does nothing */

/* AVI recording */
ZEP_EXPORT uint8_t ZEPAPI CreateAvi(HWND window, const char* name, int32_t width, int32_t height, int32_t framesPerSecond, int32_t samplesPerSecond, int32_t bitsPerSample, int32_t channels); /* opens a recording; audio when samplesPerSecond and channels are above 0; 1 open */
ZEP_EXPORT uint8_t ZEPAPI AddFrameToAvi(void); /* appends the render target as the next frame; 1 captured */
ZEP_EXPORT uint8_t ZEPAPI AddWaveToAvi(const void* samples, int32_t count); /* appends PCM samples; 1 written */
ZEP_EXPORT void ZEPAPI EndAvi(void); /* closes the recording */

/* Video to texture */
ZEP_EXPORT HRESULT ZEPAPI InitDShowTextureRenderer(void); /* streams the first capture device into texture "@capture"; 0 success */
ZEP_EXPORT void ZEPAPI CleanupDShow(void); /* stops and releases the capture graph; the texture stays */

#ifdef __cplusplus
}
#endif

#endif
