// The host's Drawbot drawing suites, used by custom UI to draw into its area.
#pragma once

#include "host/ae_basic.h"

typedef int32_t DRAWBOT_Boolean;
typedef struct _DRAWBOT_DrawRef* DRAWBOT_DrawRef;
typedef struct _DRAWBOT_ObjectRef* DRAWBOT_ObjectRef;
typedef struct _DRAWBOT_SupplierRef* DRAWBOT_SupplierRef;
typedef struct _DRAWBOT_SurfaceRef* DRAWBOT_SurfaceRef;
typedef DRAWBOT_ObjectRef DRAWBOT_PenRef;
typedef DRAWBOT_ObjectRef DRAWBOT_BrushRef;
typedef DRAWBOT_ObjectRef DRAWBOT_PathRef;
typedef DRAWBOT_ObjectRef DRAWBOT_ImageRef;
typedef DRAWBOT_ObjectRef DRAWBOT_FontRef;

struct DRAWBOT_ColorRGBA {
    float red, green, blue, alpha;
};
struct DRAWBOT_PointF32 {
    float x, y;
};
struct DRAWBOT_RectF32 {
    float left, top, width, height;
};
struct DRAWBOT_Rect32 {
    int32_t left, top, width, height;
};
struct DRAWBOT_MatrixF32 {
    float mat[3][3];
};

typedef int32_t DRAWBOT_PixelLayout;
enum : DRAWBOT_PixelLayout {
    kDRAWBOT_PixelLayout_24RGB = 0,
    kDRAWBOT_PixelLayout_24BGR = 1,
    kDRAWBOT_PixelLayout_32RGB = 2,
    kDRAWBOT_PixelLayout_32BGR = 3,
    kDRAWBOT_PixelLayout_32ARGB_Straight = 4,
    kDRAWBOT_PixelLayout_32ARGB_Premul = 5,
    kDRAWBOT_PixelLayout_32BGRA_Straight = 6,
    kDRAWBOT_PixelLayout_32BGRA_Premul = 7,
};

typedef int32_t DRAWBOT_FillType;
enum : DRAWBOT_FillType {
    kDRAWBOT_FillType_EvenOdd = 0,
    kDRAWBOT_FillType_Winding = 1,
    kDRAWBOT_FillType_Default = kDRAWBOT_FillType_Winding,
};

typedef int32_t DRAWBOT_InterpolationPolicy;
typedef int32_t DRAWBOT_AntiAliasPolicy;
typedef int32_t DRAWBOT_TextAlignment;
typedef int32_t DRAWBOT_TextTruncation;
typedef uint16_t DRAWBOT_UTF16Char;

#define kDRAWBOT_DrawSuite "DRAWBOT Draw Suite"
#define kDRAWBOT_DrawSuite_Version1 1
#define kDRAWBOT_SupplierSuite "DRAWBOT Supplier Suite"
#define kDRAWBOT_SupplierSuite_Version1 1
#define kDRAWBOT_SurfaceSuite "DRAWBOT Surface Suite"
#define kDRAWBOT_SurfaceSuite_Version2 2
#define kDRAWBOT_PathSuite "DRAWBOT Path Suite"
#define kDRAWBOT_PathSuite_Version1 1

struct DRAWBOT_DrawbotSuite1 {
    SPErr(AE_CALLBACK* GetSupplier)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SupplierRef* out_supplierP);
    SPErr(AE_CALLBACK* GetSurface)(DRAWBOT_DrawRef in_drawbot_ref, DRAWBOT_SurfaceRef* out_surfaceP);
};

struct DRAWBOT_SupplierSuite1 {
    SPErr(AE_CALLBACK* NewPen)(DRAWBOT_SupplierRef in_supplier_ref, const DRAWBOT_ColorRGBA* in_colorP,
                               float in_size, DRAWBOT_PenRef* out_penP);
    SPErr(AE_CALLBACK* NewBrush)(DRAWBOT_SupplierRef in_supplier_ref, const DRAWBOT_ColorRGBA* in_colorP,
                                 DRAWBOT_BrushRef* out_brushP);
    SPErr(AE_CALLBACK* SupportsText)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_supports_textB);
    SPErr(AE_CALLBACK* GetDefaultFontSize)(DRAWBOT_SupplierRef in_supplier_ref, float* out_font_sizeF);
    SPErr(AE_CALLBACK* NewDefaultFont)(DRAWBOT_SupplierRef in_supplier_ref, float in_font_sizeF,
                                       DRAWBOT_FontRef* out_fontP);
    SPErr(AE_CALLBACK* NewImageFromBuffer)(DRAWBOT_SupplierRef in_supplier_ref, int in_width, int in_height,
                                           int in_row_bytes, DRAWBOT_PixelLayout in_pl, const void* in_dataP,
                                           DRAWBOT_ImageRef* out_imageP);
    SPErr(AE_CALLBACK* NewPath)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_PathRef* out_pathP);
    SPErr(AE_CALLBACK* SupportsPixelLayoutBGRA)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_supportsP);
    SPErr(AE_CALLBACK* PrefersPixelLayoutBGRA)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_prefersP);
    SPErr(AE_CALLBACK* SupportsPixelLayoutARGB)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_supportsP);
    SPErr(AE_CALLBACK* PrefersPixelLayoutARGB)(DRAWBOT_SupplierRef in_supplier_ref, DRAWBOT_Boolean* out_prefersP);
    SPErr(AE_CALLBACK* RetainObject)(DRAWBOT_ObjectRef in_obj_ref);
    SPErr(AE_CALLBACK* ReleaseObject)(DRAWBOT_ObjectRef in_obj_ref);
};

struct DRAWBOT_SurfaceSuite2 {
    SPErr(AE_CALLBACK* PushStateStack)(DRAWBOT_SurfaceRef in_surface_ref);
    SPErr(AE_CALLBACK* PopStateStack)(DRAWBOT_SurfaceRef in_surface_ref);
    SPErr(AE_CALLBACK* PaintRect)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_ColorRGBA* in_colorP,
                                  const DRAWBOT_RectF32* in_rectPR);
    SPErr(AE_CALLBACK* FillPath)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_BrushRef in_brush_ref,
                                 DRAWBOT_PathRef in_path_ref, DRAWBOT_FillType in_fill_type);
    SPErr(AE_CALLBACK* StrokePath)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_PenRef in_pen_ref,
                                   DRAWBOT_PathRef in_path_ref);
    SPErr(AE_CALLBACK* Clip)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_SupplierRef in_supplier_ref,
                             const DRAWBOT_Rect32* in_rectPR);
    SPErr(AE_CALLBACK* GetClipBounds)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_Rect32* out_rectPR);
    SPErr(AE_CALLBACK* IsWithinClipBounds)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_Rect32* in_rectPR,
                                           DRAWBOT_Boolean* out_withinPB);
    SPErr(AE_CALLBACK* Transform)(DRAWBOT_SurfaceRef in_surface_ref, const DRAWBOT_MatrixF32* in_matrixP);
    SPErr(AE_CALLBACK* DrawString)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_BrushRef in_brush_ref,
                                   DRAWBOT_FontRef in_font_ref, const DRAWBOT_UTF16Char* in_stringP,
                                   const DRAWBOT_PointF32* in_originP, DRAWBOT_TextAlignment in_alignment_style,
                                   DRAWBOT_TextTruncation in_truncation_style, float in_truncation_width);
    SPErr(AE_CALLBACK* DrawImage)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_ImageRef in_image_ref,
                                  const DRAWBOT_PointF32* in_originP, float in_alpha);
    SPErr(AE_CALLBACK* SetInterpolationPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                                               DRAWBOT_InterpolationPolicy in_interp);
    SPErr(AE_CALLBACK* GetInterpolationPolicy)(DRAWBOT_SurfaceRef in_surface_ref,
                                               DRAWBOT_InterpolationPolicy* out_interpP);
    SPErr(AE_CALLBACK* SetAntiAliasPolicy)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_AntiAliasPolicy in_policy);
    SPErr(AE_CALLBACK* GetAntiAliasPolicy)(DRAWBOT_SurfaceRef in_surface_ref, DRAWBOT_AntiAliasPolicy* out_policyP);
    SPErr(AE_CALLBACK* Flush)(DRAWBOT_SurfaceRef in_surface_ref);
    SPErr(AE_CALLBACK* GetTransformToScreenScale)(DRAWBOT_SurfaceRef in_surface_ref, float* out_scale);
};

struct DRAWBOT_PathSuite1 {
    SPErr(AE_CALLBACK* MoveTo)(DRAWBOT_PathRef in_path_ref, float in_x, float in_y);
    SPErr(AE_CALLBACK* LineTo)(DRAWBOT_PathRef in_path_ref, float in_x, float in_y);
    SPErr(AE_CALLBACK* BezierTo)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_PointF32* in_pt1P,
                                 const DRAWBOT_PointF32* in_pt2P, const DRAWBOT_PointF32* in_pt3P);
    SPErr(AE_CALLBACK* AddRect)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_RectF32* in_rectPR);
    SPErr(AE_CALLBACK* AddArc)(DRAWBOT_PathRef in_path_ref, const DRAWBOT_PointF32* in_centerP, float in_radius,
                               float in_start_angle, float in_sweep);
    SPErr(AE_CALLBACK* Close)(DRAWBOT_PathRef in_path_ref);
};
