#include "scene3d/opengl/GLDevice.h"

#include <cmath>
#include <cstring>

#include "scene3d/opengl/GLLibrary.h"

namespace {

// The device whose context is current on this thread; every device makes its
// own current before touching GL, so canvases can take turns.
TscGLDevice* CurrentDevice = nullptr;

constexpr float Identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

const char* const VertexSource = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUV;
// Row-major matrices for row vectors arrive transposed, so M * v is v M.
uniform mat4 uProjection, uView, uWorld, uNormal;
uniform vec2 uPixel;
uniform bool uLighting;
uniform vec4 uAmbient, uDiffuse, uMatAmbient;
uniform int uLightCount;
uniform int uLightKind[8];
uniform vec3 uLightPos[8], uLightDir[8];
uniform vec4 uTexTransform;
out vec4 vColor;
flat out vec4 vFlatColor;
out vec2 vUV;

void main() {
  vec4 World = uWorld * vec4(aPos, 1.0);
  vec4 Clip = uProjection * (uView * World);
  Clip.z = 2.0 * Clip.z - Clip.w;   // depth 0 ... 1 to GL's -1 ... 1
  Clip.y = -Clip.y;                 // rows top-down in memory
  Clip.xy += uPixel * Clip.w;       // pixel centres on whole coordinates
  gl_Position = Clip;
  vec4 Color = aColor;
  if (uLighting) {
    vec3 N = normalize((uNormal * vec4(aNormal, 0.0)).xyz);
    vec3 Ambient = uAmbient.rgb;
    vec3 Diffuse = vec3(0.0);
    for (int I = 0; I < uLightCount; ++I) {
      vec3 L;
      float Attenuation = 1.0;
      if (uLightKind[I] == 0) {
        L = -normalize(uLightDir[I]);
      } else {
        vec3 D = uLightPos[I] - World.xyz;
        float Distance = length(D);
        if (Distance > 100.0) continue;
        L = Distance > 0.0 ? D / Distance : vec3(0.0, 0.0, 1.0);
        if (uLightKind[I] == 1) {
          Attenuation = 1.0 / max(0.2 * Distance, 1e-6);
        } else {
          float Rho = dot(normalize(uLightDir[I]), -L);
          float Inner = cos(0.25), Outer = cos(0.5);
          Attenuation = Rho > Inner ? 1.0 : (Rho <= Outer ? 0.0 : (Rho - Outer) / (Inner - Outer));
        }
      }
      Ambient += Attenuation * vec3(105.0 / 255.0);
      Diffuse += Attenuation * max(dot(N, L), 0.0);
    }
    Color = vec4(clamp(Ambient * uMatAmbient.rgb + Diffuse * uDiffuse.rgb, 0.0, 1.0), uDiffuse.a);
  }
  vColor = Color;
  vFlatColor = Color;
  vUV = aUV * uTexTransform.xy + uTexTransform.zw;
}
)";

const char* const FragmentSource = R"(#version 330 core
in vec4 vColor;
flat in vec4 vFlatColor;
in vec2 vUV;
uniform int uTexMode;
uniform bool uFlat, uPremultiplied;
uniform sampler2D uTexture;
out vec4 FragColor;

void main() {
  vec4 Color = uFlat ? vFlatColor : vColor;
  if (uTexMode == 1) {
    Color = texture(uTexture, vUV);
  } else if (uTexMode == 2) {
    // A premultiplied texel times a premultiplied colour stays premultiplied.
    if (uPremultiplied) Color.rgb *= Color.a;
    Color *= texture(uTexture, vUV);
  }
  // Alpha test: a pixel of alpha 0 writes neither colour nor depth.
  if (Color.a * 255.0 < 0.5) discard;
  FragColor = Color;
}
)";

void ToColor(uint32_t Word, float* Out) {
  Out[0] = ((Word >> 16) & 0xFF) / 255.0f;
  Out[1] = ((Word >> 8) & 0xFF) / 255.0f;
  Out[2] = (Word & 0xFF) / 255.0f;
  Out[3] = (Word >> 24) / 255.0f;
}

// The inverse transpose of the world matrix's upper 3 x 3, which carries
// normals under non-uniform scaling; the identity when it is singular.
void NormalMatrix(const float* M, float* Out) {
  const float A = M[0], B = M[1], C = M[2], D = M[4], E = M[5], F = M[6], G = M[8], H = M[9], I = M[10];
  const float Det = A * (E * I - F * H) - B * (D * I - F * G) + C * (D * H - E * G);
  std::memcpy(Out, Identity, sizeof(Identity));
  if (std::fabs(Det) < 1e-20f) return;
  const float R = 1.0f / Det;
  // Transpose of the inverse = cofactors / det, in place of the rows.
  Out[0] = (E * I - F * H) * R, Out[1] = -(D * I - F * G) * R, Out[2] = (D * H - E * G) * R;
  Out[4] = -(B * I - C * H) * R, Out[5] = (A * I - C * G) * R, Out[6] = -(A * H - B * G) * R;
  Out[8] = (B * F - C * E) * R, Out[9] = -(A * F - C * D) * R, Out[10] = (A * E - B * D) * R;
}

}  // namespace

std::unique_ptr<TscGLDevice> TscGLDevice::Create(int32_t Width, int32_t Height, int32_t Samples,
                                                 std::string& Error) {
  std::unique_ptr<TscGLDevice> Device(new TscGLDevice);
  if (!Device->Init(Width, Height, Samples, Error)) return nullptr;
  return Device;
}

bool TscGLDevice::Init(int32_t Width, int32_t Height, int32_t Samples, std::string& Error) {
  FLibrary = TscGLLibrary::Open();
  if (!FLibrary) {
    Error = TscGLLibrary::LoadError();
    return false;
  }
  auto& EGL = FLibrary->EGL();
  const EGLint Attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                               3,
                               EGL_CONTEXT_MINOR_VERSION,
                               3,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                               EGL_NONE};
  EGL.BindAPI(EGL_OPENGL_API);
  EGLConfig Config = FLibrary->Surfaceless() ? EGLConfig(nullptr) : FLibrary->Config();
  EGLContext Context = EGL.CreateContext(FLibrary->Display(), Config, EGL_NO_CONTEXT, Attributes);
  if (Context == EGL_NO_CONTEXT && Config == nullptr && FLibrary->Config())
    Context = EGL.CreateContext(FLibrary->Display(), FLibrary->Config(), EGL_NO_CONTEXT, Attributes);
  if (Context == EGL_NO_CONTEXT) {
    Error = "no OpenGL 3.3 core context";
    return false;
  }
  FContext = Context;
  if (!FLibrary->Surfaceless()) {
    const EGLint PbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    FSurface = EGL.CreatePbufferSurface(FLibrary->Display(), FLibrary->Config(), PbufferAttributes);
    if (FSurface == EGL_NO_SURFACE) {
      FSurface = nullptr;
      Error = "no pbuffer surface";
      return false;
    }
  }
  CurrentDevice = nullptr;
  MakeCurrent();
  if (CurrentDevice != this) {
    Error = "cannot make the context current";
    return false;
  }
  auto& GL = FLibrary->GL();
  const auto* Renderer = reinterpret_cast<const char*>(GL.GetString(GL_RENDERER));
  FRenderer = Renderer ? Renderer : "";
  GL.GetIntegerv(GL_MAX_SAMPLES, &FMaxSamples);
  if (!BuildProgram(Error)) return false;

  GL.GenVertexArrays(1, &FVertexArray);
  GL.BindVertexArray(FVertexArray);
  GL.GenBuffers(1, &FVertexBuffer);
  GL.BindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  GL.BufferData(GL_ARRAY_BUFFER, MaxVertices * sizeof(TscGLVertex), nullptr, GL_STREAM_DRAW);
  GL.GenBuffers(1, &FIndexBuffer);
  GL.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, FIndexBuffer);
  GL.BufferData(GL_ELEMENT_ARRAY_BUFFER, MaxIndices * sizeof(uint16_t), nullptr, GL_STREAM_DRAW);
  constexpr GLsizei Stride = sizeof(TscGLVertex);
  GL.VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, Stride, reinterpret_cast<void*>(0));
  GL.VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, Stride, reinterpret_cast<void*>(12));
  // A little-endian ARGB word is the bytes B, G, R, A.
  GL.VertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, Stride, reinterpret_cast<void*>(24));
  GL.VertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, Stride, reinterpret_cast<void*>(28));
  for (GLuint I = 0; I < 4; ++I) GL.EnableVertexAttribArray(I);

  GL.GenSamplers(1, &FNearest);
  GL.SamplerParameteri(FNearest, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  GL.SamplerParameteri(FNearest, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  GL.GenSamplers(1, &FLinear);
  GL.SamplerParameteri(FLinear, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GL.SamplerParameteri(FLinear, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  GL.BindSampler(0, FLinear);
  GL.ActiveTexture(GL_TEXTURE0);
  // Flat shading takes the first vertex of a triangle, as the canvas's
  // callers expect.
  GL.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  GL.PixelStorei(GL_PACK_ALIGNMENT, 4);
  GL.PixelStorei(GL_UNPACK_ALIGNMENT, 4);

  std::memcpy(FU.Projection, Identity, sizeof(Identity));
  std::memcpy(FU.View, Identity, sizeof(Identity));
  std::memcpy(FU.World, Identity, sizeof(Identity));
  std::memcpy(FU.Normal, Identity, sizeof(Identity));
  Resize(Width, Height, Samples);
  if (GL.GetError() != GL_NO_ERROR) {
    Error = "OpenGL error while setting up";
    return false;
  }
  return true;
}

bool TscGLDevice::BuildProgram(std::string& Error) {
  auto& GL = FLibrary->GL();
  auto Compile = [&](GLenum Kind, const char* Source) -> GLuint {
    GLuint Shader = GL.CreateShader(Kind);
    GL.ShaderSource(Shader, 1, &Source, nullptr);
    GL.CompileShader(Shader);
    GLint OK = 0;
    GL.GetShaderiv(Shader, GL_COMPILE_STATUS, &OK);
    if (!OK) {
      char Log[512] = {};
      GL.GetShaderInfoLog(Shader, sizeof(Log), nullptr, Log);
      Error = std::string("shader: ") + Log;
      GL.DeleteShader(Shader);
      return 0;
    }
    return Shader;
  };
  GLuint Vertex = Compile(GL_VERTEX_SHADER, VertexSource);
  GLuint Fragment = Vertex ? Compile(GL_FRAGMENT_SHADER, FragmentSource) : 0;
  if (!Fragment) {
    if (Vertex) GL.DeleteShader(Vertex);
    return false;
  }
  FProgram = GL.CreateProgram();
  GL.AttachShader(FProgram, Vertex);
  GL.AttachShader(FProgram, Fragment);
  GL.LinkProgram(FProgram);
  GL.DeleteShader(Vertex);
  GL.DeleteShader(Fragment);
  GLint OK = 0;
  GL.GetProgramiv(FProgram, GL_LINK_STATUS, &OK);
  if (!OK) {
    char Log[512] = {};
    GL.GetProgramInfoLog(FProgram, sizeof(Log), nullptr, Log);
    Error = std::string("program: ") + Log;
    return false;
  }
  GL.UseProgram(FProgram);
  auto L = [&](const char* Name) { return GL.GetUniformLocation(FProgram, Name); };
  FLoc = {L("uProjection"), L("uView"),     L("uWorld"),        L("uNormal"),       L("uPixel"),
          L("uLighting"),   L("uAmbient"),  L("uDiffuse"),      L("uMatAmbient"),   L("uLightCount"),
          L("uLightKind"),  L("uLightPos"), L("uLightDir"),     L("uTexTransform"), L("uTexMode"),
          L("uFlat"),       L("uTexture"),  L("uPremultiplied")};
  GL.Uniform1i(FLoc.Texture, 0);
  return true;
}

TscGLDevice::~TscGLDevice() {
  if (!FLibrary || !FContext) return;
  MakeCurrent();
  if (CurrentDevice == this) {
    auto& GL = FLibrary->GL();
    FreeFramebuffers();
    if (FProgram) GL.DeleteProgram(FProgram);
    if (FVertexBuffer) GL.DeleteBuffers(1, &FVertexBuffer);
    if (FIndexBuffer) GL.DeleteBuffers(1, &FIndexBuffer);
    if (FVertexArray) GL.DeleteVertexArrays(1, &FVertexArray);
    if (FNearest) GL.DeleteSamplers(1, &FNearest);
    if (FLinear) GL.DeleteSamplers(1, &FLinear);
  }
  auto& EGL = FLibrary->EGL();
  EGL.MakeCurrent(FLibrary->Display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  CurrentDevice = nullptr;
  EGL.DestroyContext(FLibrary->Display(), FContext);
  if (FSurface) EGL.DestroySurface(FLibrary->Display(), FSurface);
}

void TscGLDevice::MakeCurrent() {
  if (CurrentDevice == this) return;
  auto& EGL = FLibrary->EGL();
  EGLSurface Surface = FSurface ? EGLSurface(FSurface) : EGL_NO_SURFACE;
  if (EGL.MakeCurrent(FLibrary->Display(), Surface, Surface, FContext)) CurrentDevice = this;
}

void TscGLDevice::FreeFramebuffers() {
  auto& GL = FLibrary->GL();
  GLuint Framebuffers[] = {FFrame, FMultisample};
  GLuint Renderbuffers[] = {FFrameColor, FFrameDepth, FMsColor, FMsDepth};
  GL.DeleteFramebuffers(2, Framebuffers);
  GL.DeleteRenderbuffers(4, Renderbuffers);
  FFrame = FMultisample = FFrameColor = FFrameDepth = FMsColor = FMsDepth = 0;
  FFramebufferOK = false;
}

bool TscGLDevice::Resize(int32_t Width, int32_t Height, int32_t Samples) {
  MakeCurrent();
  FWidth = Width < 1 ? 1 : Width;
  FHeight = Height < 1 ? 1 : Height;
  FSamples = Samples > 1 && Samples <= FMaxSamples ? Samples : 0;
  FreeFramebuffers();
  FFramebufferOK = BuildFramebuffers();
  FDirty = true;
  return FFramebufferOK;
}

bool TscGLDevice::BuildFramebuffers() {
  auto& GL = FLibrary->GL();
  auto Make = [&](GLuint& Framebuffer, GLuint& Color, GLuint& Depth, GLsizei Samples) {
    GL.GenFramebuffers(1, &Framebuffer);
    GL.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
    GL.GenRenderbuffers(1, &Color);
    GL.BindRenderbuffer(GL_RENDERBUFFER, Color);
    GL.RenderbufferStorageMultisample(GL_RENDERBUFFER, Samples, GL_RGBA8, FWidth, FHeight);
    GL.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Color);
    GL.GenRenderbuffers(1, &Depth);
    GL.BindRenderbuffer(GL_RENDERBUFFER, Depth);
    GL.RenderbufferStorageMultisample(GL_RENDERBUFFER, Samples, GL_DEPTH24_STENCIL8, FWidth, FHeight);
    GL.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, Depth);
    return GL.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  };
  if (!Make(FFrame, FFrameColor, FFrameDepth, 0)) return false;
  if (FSamples && !Make(FMultisample, FMsColor, FMsDepth, FSamples)) return false;
  GL.BindFramebuffer(GL_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
  GL.Viewport(0, 0, FWidth, FHeight);
  return true;
}

bool TscGLDevice::BeginFrame(bool SeparateAlpha) {
  MakeCurrent();
  if (!FFramebufferOK) return false;
  auto& GL = FLibrary->GL();
  GL.BindFramebuffer(GL_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
  GL.Viewport(0, 0, FWidth, FHeight);
  GL.UseProgram(FProgram);
  GL.BindVertexArray(FVertexArray);
  GL.Disable(GL_STENCIL_TEST);
  GL.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  GL.Enable(GL_BLEND);
  FSeparateAlpha = SeparateAlpha;
  SetAdditiveBlend(false);
  SetFlatShading(true);
  SetWireframe(false);
  SetCull(glCullCounterClockwise);
  FDirty = true;
  return true;
}

void TscGLDevice::Clear(uint32_t Color) {
  MakeCurrent();
  if (!FFramebufferOK) return;
  auto& GL = FLibrary->GL();
  float C[4];
  ToColor(Color, C);
  GL.BindFramebuffer(GL_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
  // A clear reaches every pixel and depth whatever the write masks say.
  GLint DepthMask = GL_TRUE;
  GL.GetIntegerv(GL_DEPTH_WRITEMASK, &DepthMask);
  GL.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  GL.DepthMask(GL_TRUE);
  GL.StencilMask(0xFF);
  GL.ClearColor(C[0], C[1], C[2], C[3]);
  GL.ClearDepth(1.0);
  GL.ClearStencil(0);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  GL.DepthMask(DepthMask ? GL_TRUE : GL_FALSE);
}

bool TscGLDevice::ReadPixels(uint32_t* Pixels) {
  MakeCurrent();
  if (!FFramebufferOK || !Pixels) return false;
  auto& GL = FLibrary->GL();
  if (FSamples) {
    GL.BindFramebuffer(GL_READ_FRAMEBUFFER, FMultisample);
    GL.BindFramebuffer(GL_DRAW_FRAMEBUFFER, FFrame);
    GL.BlitFramebuffer(0, 0, FWidth, FHeight, 0, 0, FWidth, FHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  GL.BindFramebuffer(GL_READ_FRAMEBUFFER, FFrame);
  GL.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  // The frame is stored upside down, so GL's bottom row is the picture's top.
  GL.ReadPixels(0, 0, FWidth, FHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, Pixels);
  GL.BindFramebuffer(GL_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
  return GL.GetError() == GL_NO_ERROR;
}

void TscGLDevice::LoadPixels(const uint32_t* Pixels) {
  MakeCurrent();
  if (!FFramebufferOK || !Pixels) return;
  auto& GL = FLibrary->GL();
  // Through a texture blitted onto the frame: rows uploaded top-down land
  // where ReadPixels takes them from. GL refuses blits into a multisampled
  // framebuffer, so such a frame only gets its depths reset.
  GLuint Texture = FSamples ? 0 : CreateTexture(FWidth, FHeight), Source = 0;
  if (Texture) {
    UploadRows(Texture, FWidth, 0, FHeight, Pixels);
    GL.GenFramebuffers(1, &Source);
    GL.BindFramebuffer(GL_READ_FRAMEBUFFER, Source);
    GL.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, Texture, 0);
    GL.BindFramebuffer(GL_DRAW_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
    GL.BlitFramebuffer(0, 0, FWidth, FHeight, 0, 0, FWidth, FHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    GL.BindFramebuffer(GL_FRAMEBUFFER, FSamples ? FMultisample : FFrame);
    GL.DeleteFramebuffers(1, &Source);
    DeleteTexture(Texture);
  }
  GLint DepthMask = GL_TRUE;
  GL.GetIntegerv(GL_DEPTH_WRITEMASK, &DepthMask);
  GL.DepthMask(GL_TRUE);
  GL.ClearDepth(1.0);
  GL.Clear(GL_DEPTH_BUFFER_BIT);
  GL.DepthMask(DepthMask ? GL_TRUE : GL_FALSE);
}

void TscGLDevice::SetProjection(const float* M) {
  std::memcpy(FU.Projection, M, sizeof(FU.Projection));
  FDirty = true;
}
void TscGLDevice::SetView(const float* M) {
  std::memcpy(FU.View, M, sizeof(FU.View));
  FDirty = true;
}
void TscGLDevice::SetWorld(const float* M) {
  std::memcpy(FU.World, M, sizeof(FU.World));
  NormalMatrix(M, FU.Normal);
  FDirty = true;
}
void TscGLDevice::SetLighting(bool On) {
  FU.Lighting = On;
  FDirty = true;
}
void TscGLDevice::SetAmbient(uint32_t Color) {
  ToColor(Color, FU.Ambient);
  FDirty = true;
}
void TscGLDevice::SetLights(const TscGLLight* Lights, int32_t Count) {
  FU.LightCount = Count < 0 ? 0 : (Count > 8 ? 8 : Count);
  for (int32_t I = 0; I < FU.LightCount; ++I) FU.Lights[I] = Lights[I];
  FDirty = true;
}
void TscGLDevice::SetMaterial(uint32_t Diffuse, uint32_t Ambient) {
  ToColor(Diffuse, FU.Diffuse);
  ToColor(Ambient, FU.MatAmbient);
  FDirty = true;
}
void TscGLDevice::SetTexMode(TscGLTexMode Mode) {
  FU.TexMode = Mode;
  FDirty = true;
}
void TscGLDevice::SetFlatShading(bool On) {
  FU.Flat = On;
  FDirty = true;
}
void TscGLDevice::SetTexTransform(float ScaleU, float ScaleV, float OffsetU, float OffsetV) {
  FU.TexTransform[0] = ScaleU, FU.TexTransform[1] = ScaleV;
  FU.TexTransform[2] = OffsetU, FU.TexTransform[3] = OffsetV;
  FDirty = true;
}

void TscGLDevice::SetDepthTest(bool On) {
  MakeCurrent();
  auto& GL = FLibrary->GL();
  if (On) {
    GL.Enable(GL_DEPTH_TEST);
    GL.DepthFunc(GL_LEQUAL);
  } else {
    GL.Disable(GL_DEPTH_TEST);
  }
}
void TscGLDevice::SetDepthWrite(bool On) {
  MakeCurrent();
  FLibrary->GL().DepthMask(On ? GL_TRUE : GL_FALSE);
}
void TscGLDevice::SetCull(TscGLCull Cull) {
  MakeCurrent();
  auto& GL = FLibrary->GL();
  if (Cull == glCullNone) {
    GL.Disable(GL_CULL_FACE);
    return;
  }
  // The flipped rows turn what the eye sees as counter-clockwise into GL's
  // clockwise.
  GL.Enable(GL_CULL_FACE);
  GL.FrontFace(GL_CCW);
  GL.CullFace(Cull == glCullCounterClockwise ? GL_BACK : GL_FRONT);
}
void TscGLDevice::SetAdditiveBlend(bool Additive) {
  MakeCurrent();
  FAdditive = Additive;
  ApplyBlend();
}
void TscGLDevice::SetTexturePremultiplied(bool On) {
  FU.Premultiplied = On;
  FDirty = true;
}
void TscGLDevice::ApplyBlend() {
  auto& GL = FLibrary->GL();
  // A premultiplied source is weighted by its alpha already.
  const GLenum Source = FBlendPremultiplied ? GL_ONE : GL_SRC_ALPHA;
  const GLenum Destination = FAdditive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA;
  if (FSeparateAlpha)
    GL.BlendFuncSeparate(Source, Destination, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  else
    GL.BlendFunc(Source, Destination);
}
void TscGLDevice::SetLinearFilter(bool Linear) {
  MakeCurrent();
  FLibrary->GL().BindSampler(0, Linear ? FLinear : FNearest);
}
void TscGLDevice::SetWireframe(bool On) {
  MakeCurrent();
  FWireframe = On;
  FLibrary->GL().PolygonMode(GL_FRONT_AND_BACK, On ? GL_LINE : GL_FILL);
}
void TscGLDevice::SetTexture(uint32_t Texture) {
  MakeCurrent();
  FLibrary->GL().BindTexture(GL_TEXTURE_2D, Texture);
}

// Half a pixel moves whole coordinates onto GL's pixel centres. A line lying
// exactly between two pixels, as a wireframe edge at x.5 does, would then sit
// on GL's tie, which drivers break either way; a sixty-fourth of a pixel more
// settles it on the higher pixel, as the rounding of the software device does.
void TscGLDevice::UploadPixelShift() {
  const float Shift = FLineBias ? 1.0f + 1.0f / 32 : 1.0f;
  FLibrary->GL().Uniform2f(FLoc.Pixel, Shift / FWidth, Shift / FHeight);
}

void TscGLDevice::FlushUniforms() {
  if (!FDirty) return;
  auto& GL = FLibrary->GL();
  GL.UniformMatrix4fv(FLoc.Projection, 1, GL_FALSE, FU.Projection);
  GL.UniformMatrix4fv(FLoc.View, 1, GL_FALSE, FU.View);
  GL.UniformMatrix4fv(FLoc.World, 1, GL_FALSE, FU.World);
  GL.UniformMatrix4fv(FLoc.Normal, 1, GL_FALSE, FU.Normal);
  UploadPixelShift();
  GL.Uniform1i(FLoc.Lighting, FU.Lighting);
  GL.Uniform4fv(FLoc.Ambient, 1, FU.Ambient);
  GL.Uniform4fv(FLoc.Diffuse, 1, FU.Diffuse);
  GL.Uniform4fv(FLoc.MatAmbient, 1, FU.MatAmbient);
  GL.Uniform1i(FLoc.LightCount, FU.LightCount);
  if (FU.LightCount > 0) {
    GLint Kinds[8];
    float Positions[8][3], Directions[8][3];
    for (int32_t I = 0; I < FU.LightCount; ++I) {
      Kinds[I] = FU.Lights[I].Kind;
      std::memcpy(Positions[I], FU.Lights[I].Position, sizeof(Positions[I]));
      std::memcpy(Directions[I], FU.Lights[I].Direction, sizeof(Directions[I]));
    }
    GL.Uniform1iv(FLoc.LightKind, FU.LightCount, Kinds);
    GL.Uniform3fv(FLoc.LightPos, FU.LightCount, Positions[0]);
    GL.Uniform3fv(FLoc.LightDir, FU.LightCount, Directions[0]);
  }
  GL.Uniform4fv(FLoc.TexTransform, 1, FU.TexTransform);
  GL.Uniform1i(FLoc.TexMode, FU.TexMode);
  GL.Uniform1i(FLoc.Flat, FU.Flat);
  GL.Uniform1i(FLoc.Premultiplied, FU.Premultiplied);
  FDirty = false;
}

bool TscGLDevice::Draw(TscGLPrimitive Kind, const void* Vertices, uint32_t VertexCount,
                       const uint16_t* Indices, uint32_t IndexCount) {
  if (!VertexCount || !IndexCount || VertexCount > MaxVertices || IndexCount > MaxIndices) return false;
  MakeCurrent();
  if (!FFramebufferOK) return false;
  auto& GL = FLibrary->GL();
  // Appends never wait for the GPU: the range written was not used since the
  // last wrap, and a wrap orphans the whole buffer instead of overwriting it.
  auto Append = [&](GLenum Target, uint32_t& Position, uint32_t Limit, uint32_t Count, size_t Size,
                    const void* Data) {
    GLbitfield Access = GL_MAP_WRITE_BIT;
    if (Position + Count > Limit) {
      Position = 0;
      Access |= GL_MAP_INVALIDATE_BUFFER_BIT;
    } else {
      Access |= GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT;
    }
    void* Target_ = GL.MapBufferRange(Target, GLintptr(Position) * Size, GLsizeiptr(Count) * Size, Access);
    if (!Target_) return false;
    std::memcpy(Target_, Data, Count * Size);
    return GL.UnmapBuffer(Target) == GL_TRUE;
  };
  GL.BindVertexArray(FVertexArray);
  GL.BindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  if (!Append(GL_ARRAY_BUFFER, FVertexPos, MaxVertices, VertexCount, sizeof(TscGLVertex), Vertices))
    return false;
  if (!Append(GL_ELEMENT_ARRAY_BUFFER, FIndexPos, MaxIndices, IndexCount, sizeof(uint16_t), Indices))
    return false;
  FlushUniforms();
  // Only a texture's colours can be premultiplied; without one the vertex
  // colour is straight.
  if (const bool Premultiplied = FU.Premultiplied && FU.TexMode != glTexNone;
      Premultiplied != FBlendPremultiplied) {
    FBlendPremultiplied = Premultiplied;
    ApplyBlend();
  }
  if (const bool Bias = Kind == glLines || FWireframe; Bias != FLineBias) {
    FLineBias = Bias;
    UploadPixelShift();
  }
  GL.DrawElementsBaseVertex(Kind == glLines ? GL_LINES : GL_TRIANGLES, GLsizei(IndexCount), GL_UNSIGNED_SHORT,
                            reinterpret_cast<void*>(uintptr_t(FIndexPos) * sizeof(uint16_t)),
                            GLint(FVertexPos));
  FVertexPos += VertexCount;
  FIndexPos += IndexCount;
  return true;
}

uint32_t TscGLDevice::CreateTexture(int32_t Width, int32_t Height) {
  if (Width <= 0 || Height <= 0) return 0;
  MakeCurrent();
  auto& GL = FLibrary->GL();
  GLuint Texture = 0;
  GL.GenTextures(1, &Texture);
  GL.BindTexture(GL_TEXTURE_2D, Texture);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  GL.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Width, Height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  if (GL.GetError() != GL_NO_ERROR) {
    GL.DeleteTextures(1, &Texture);
    return 0;
  }
  return Texture;
}

void TscGLDevice::UploadRows(uint32_t Texture, int32_t Width, int32_t FirstRow, int32_t Rows,
                             const uint32_t* Pixels) {
  if (!Texture || Rows <= 0) return;
  MakeCurrent();
  auto& GL = FLibrary->GL();
  GL.BindTexture(GL_TEXTURE_2D, Texture);
  GL.TexSubImage2D(GL_TEXTURE_2D, 0, 0, FirstRow, Width, Rows, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                   Pixels + size_t(FirstRow) * size_t(Width));
}

void TscGLDevice::DeleteTexture(uint32_t Texture) {
  if (!Texture) return;
  MakeCurrent();
  FLibrary->GL().DeleteTextures(1, &Texture);
}
