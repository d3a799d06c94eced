#pragma once

// EGL and OpenGL reached through the dynamic loader only. Nothing here links
// against libEGL or libGL: the headers give types and constants, and every
// entry point comes from eglGetProcAddress after dlopen, so a machine without
// them still starts and merely has no OpenGL device.

#define EGL_NO_X11
#define GL_GLEXT_PROTOTYPES  // prototypes only to take their types with decltype
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include <string>
#include <string_view>

// The GL 3.3 core entry points the device uses.
#define UX_GL_FUNCTIONS(X)                                                                                   \
  X(GetString)                                                                                               \
  X(GetIntegerv)                                                                                             \
  X(GetError)                                                                                                \
  X(Viewport) X(ClearColor) X(ClearDepth) X(ClearStencil) X(Clear) X(Enable) X(Disable) X(DepthFunc) X(      \
      DepthMask) X(CullFace) X(FrontFace) X(BlendFunc) X(BlendFuncSeparate) X(PolygonMode) X(ColorMask)      \
      X(StencilFunc) X(StencilOp) X(StencilMask) X(ProvokingVertex) X(GenFramebuffers) X(DeleteFramebuffers) \
          X(BindFramebuffer) X(FramebufferRenderbuffer) X(FramebufferTexture2D) X(CheckFramebufferStatus)    \
              X(GenRenderbuffers) X(DeleteRenderbuffers) X(BindRenderbuffer) X(RenderbufferStorage)          \
                  X(RenderbufferStorageMultisample) X(BlitFramebuffer) X(ReadPixels) X(PixelStorei)          \
                      X(GenBuffers) X(DeleteBuffers) X(BindBuffer) X(BufferData) X(MapBufferRange)           \
                          X(UnmapBuffer) X(GenVertexArrays) X(DeleteVertexArrays) X(BindVertexArray)         \
                              X(VertexAttribPointer) X(EnableVertexAttribArray) X(DrawElementsBaseVertex)    \
                                  X(CreateShader) X(ShaderSource) X(CompileShader) X(GetShaderiv) X(         \
                                      GetShaderInfoLog) X(DeleteShader) X(CreateProgram) X(AttachShader)     \
                                      X(LinkProgram) X(GetProgramiv) X(GetProgramInfoLog) X(DeleteProgram)   \
                                          X(UseProgram) X(GetUniformLocation) X(Uniform1i) X(Uniform1iv)     \
                                              X(Uniform2f) X(Uniform1f) X(Uniform4fv) X(Uniform3fv)          \
                                                  X(UniformMatrix4fv) X(BindAttribLocation) X(GenTextures)   \
                                                      X(DeleteTextures) X(BindTexture) X(ActiveTexture)      \
                                                          X(TexImage2D) X(TexSubImage2D) X(TexParameteri)    \
                                                              X(GenSamplers) X(DeleteSamplers)               \
                                                                  X(BindSampler) X(SamplerParameteri)        \
                                                                      X(Finish)

#define UX_EGL_FUNCTIONS(X)                                                                         \
  X(QueryString)                                                                                    \
  X(GetDisplay)                                                                                     \
  X(Initialize)                                                                                     \
  X(BindAPI) X(ChooseConfig) X(CreateContext) X(DestroyContext) X(MakeCurrent) X(GetCurrentContext) \
      X(CreatePbufferSurface) X(DestroySurface) X(GetError)

struct TscGLFunctions {
#define UX_GL_MEMBER(Name) decltype(&::gl##Name) Name = nullptr;
  UX_GL_FUNCTIONS(UX_GL_MEMBER)
#undef UX_GL_MEMBER
};

struct TscEGLFunctions {
#define UX_EGL_MEMBER(Name) decltype(&::egl##Name) Name = nullptr;
  UX_EGL_FUNCTIONS(UX_EGL_MEMBER)
#undef UX_EGL_MEMBER
  PFNEGLGETPLATFORMDISPLAYEXTPROC GetPlatformDisplayEXT = nullptr;
};

// The loaded library with its initialised display: one per process and
// library name, made on first use and kept for the life of the process (GL
// drivers do not take kindly to being unloaded while their threads live).
class TscGLLibrary {
 public:
  // The library new devices use; "libEGL.so.1" unless changed. Tests point it
  // at a name that does not exist to see a machine without OpenGL.
  static const std::string& LibraryName();
  static void SetLibraryName(std::string Name);

  // The library of the current name, loaded and its display initialised on
  // the first call; none when that failed, with the reason in LoadError.
  static TscGLLibrary* Open();
  static std::string LoadError();
  // How many times a library was actually dlopen'ed (the device choice
  // promises not to load anything on a machine without a render node).
  static int LoadCount();

  const TscEGLFunctions& EGL() const { return FEGL; }
  const TscGLFunctions& GL() const { return FGL; }
  EGLDisplay Display() const { return FDisplay; }
  // A config for pbuffer fallbacks; the surfaceless display needs none.
  EGLConfig Config() const { return FConfig; }
  bool Surfaceless() const { return FSurfaceless; }
  // How the display was reached ("surfaceless", "default display"), for reports.
  const std::string& DisplayKind() const { return FDisplayKind; }

 private:
  TscGLLibrary() = default;
  bool Load(const std::string& Name, std::string& Error);

  void* FHandle = nullptr;
  TscEGLFunctions FEGL;
  TscGLFunctions FGL;
  EGLDisplay FDisplay = EGL_NO_DISPLAY;
  EGLConfig FConfig = nullptr;
  bool FSurfaceless = false;
  std::string FDisplayKind;
};
