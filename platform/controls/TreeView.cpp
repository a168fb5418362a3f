#include "platform/controls/TreeView.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/Exceptions.h"
#include "platform/graphics/Gdi.h"
#include "platform/windowing/ScrollBars.h"
#include "platform/core/SysUtils.h"

namespace {

// Measures text in a font without a window: a memory DC, released at scope end.
class TTextMeasure {
 public:
  explicit TTextMeasure(TFont* Font) : dc_(CreateCompatibleDC(nullptr)) { SelectObject(dc_, Font->Handle()); }
  ~TTextMeasure() { DeleteDC(dc_); }
  TTextMeasure(const TTextMeasure&) = delete;
  TTextMeasure& operator=(const TTextMeasure&) = delete;
  [[nodiscard]] int Width(const std::string& Text) const {
    TSize size;
    GetTextExtentPoint32(dc_, Text, &size);
    return size.cx;
  }

 private:
  HDC dc_;
};

constexpr int kLabelPadding = 2;

}  // namespace

// ---- TTreeNode --------------------------------------------------------------------------------

TTreeNode::~TTreeNode() = default;

std::vector<std::unique_ptr<TTreeNode>>& TTreeNode::Siblings() const {
  return parent_ != nullptr ? parent_->children_ : tree_->items_->roots_;
}

// Text and images do not change which rows are shown; only a repaint is due.
void TTreeNode::Changed() {
  if (tree_->update_count_ == 0) tree_->Invalidate();
}

void TTreeNode::SetText(const std::string& Value) {
  text_ = Value;
  Changed();
}
void TTreeNode::SetImageIndex(int Value) {
  image_index_ = Value;
  Changed();
}
void TTreeNode::SetSelectedIndex(int Value) {
  selected_index_ = Value;
  Changed();
}
void TTreeNode::SetStateIndex(int Value) {
  state_index_ = Value;
  Changed();
}

void TTreeNode::SetHasChildren(bool Value) {
  has_children_ = Value;
  if (!HasChildren()) expanded_ = false;
  tree_->ShapeChanged();
}

void TTreeNode::SetExpanded(bool Value) { tree_->DoExpand(this, Value); }

void TTreeNode::Expand(bool Recurse) {
  tree_->DoExpand(this, true);
  if (!Recurse) return;
  for (std::size_t i = 0; i < children_.size(); ++i) children_[i]->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
  if (Recurse)
    for (auto& child : children_) child->Collapse(true);
  tree_->DoExpand(this, false);
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

TTreeNode* TTreeNode::Item(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return children_[static_cast<std::size_t>(Index)].get();
}

int TTreeNode::Index() const {
  const auto& siblings = Siblings();
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = Siblings();
  std::size_t i = static_cast<std::size_t>(Index()) + 1;
  return i < siblings.size() ? siblings[i].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  int i = Index();
  return i > 0 ? Siblings()[static_cast<std::size_t>(i - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front().get();
  for (const TTreeNode* n = this; n != nullptr; n = n->parent_)
    if (TTreeNode* next = n->GetNextSibling()) return next;
  return nullptr;
}

TTreeNode* TTreeNode::GetNextVisible() const {
  int row = tree_->RowOf(this);
  const auto& rows = tree_->Rows();
  return row >= 0 && row + 1 < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row + 1)] : nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
  int row = tree_->RowOf(this);
  return row > 0 ? tree_->Rows()[static_cast<std::size_t>(row - 1)] : nullptr;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const {
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_)
    if (p == Value) return true;
  return false;
}

bool TTreeNode::Selected() const { return tree_->selected_ == this; }

void TTreeNode::SetSelected(bool Value) {
  if (Value) tree_->SetSelected(this);
  else if (Selected()) tree_->SetSelected(nullptr);
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_)
    if (!p->expanded_) return false;
  return true;
}

void TTreeNode::MakeVisible() {
  std::vector<TTreeNode*> chain;
  for (TTreeNode* p = parent_; p != nullptr; p = p->parent_) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) tree_->DoExpand(*it, true);
  int row = tree_->RowOf(this);
  if (row < 0) return;
  int page = std::max(1, tree_->VisibleCount());
  int top = tree_->top_row_;
  if (row < top) top = row;
  if (row >= top + page) top = row - page + 1;
  tree_->ScrollTo(top, tree_->horz_pos_);
}

TRect TTreeNode::DisplayRect(bool TextOnly) const {
  int row = tree_->RowOf(this);
  if (row < 0) return {};
  int y = (row - tree_->top_row_) * tree_->RowHeight();
  if (!TextOnly) return {0, y, tree_->ClientWidth(), y + tree_->RowHeight()};
  int x = tree_->NodeLeft(this);
  if (tree_->state_images_ != nullptr && state_index_ >= 0) x += tree_->state_images_->Width();
  if (tree_->images_ != nullptr) x += tree_->images_->Width() + 1;
  TTextMeasure measure(tree_->Font());
  return {x, y, x + measure.Width(text_) + 2 * kLabelPadding, y + tree_->RowHeight()};
}

void TTreeNode::CustomSort(const TTVCompare& Compare, std::intptr_t Data, bool Recurse) {
  std::stable_sort(children_.begin(), children_.end(), [&](const auto& a, const auto& b) {
    return Compare(a.get(), b.get(), Data) < 0;
  });
  if (Recurse)
    for (auto& child : children_) child->CustomSort(Compare, Data, true);
  tree_->ShapeChanged();
}

void TTreeNode::AlphaSort(bool Recurse) {
  CustomSort([](TTreeNode* a, TTreeNode* b, std::intptr_t) { return AnsiCompareText(a->Text(), b->Text()); }, 0,
             Recurse);
}

void TTreeNode::Delete() { tree_->items_->Delete(this); }

bool TTreeNode::EditText() { return tree_->StartEditing(this); }

void TTreeNode::DeleteChildren() {
  while (!children_.empty()) tree_->items_->Delete(children_.back().get());
}

TTreeNodes* TTreeNode::Owner() const { return tree_->items_.get(); }

// ---- TTreeNodes -------------------------------------------------------------------------------

TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::InsertAt(TTreeNode* Parent, int Index, const std::string& S, void* Ptr) {
  auto& list = Parent != nullptr ? Parent->children_ : roots_;
  Index = std::clamp(Index, 0, static_cast<int>(list.size()));
  auto* node = new TTreeNode(owner_, Parent);
  list.emplace(list.begin() + Index, node);
  node->text_ = S;
  node->data_ = Ptr;
  owner_->ShapeChanged();
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) { return AddObject(Sibling, S, nullptr); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
  TTreeNode* parent = Sibling != nullptr ? Sibling->parent_ : nullptr;
  return InsertAt(parent, parent != nullptr ? parent->Count() : static_cast<int>(roots_.size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* Sibling, const std::string& S) {
  return InsertAt(Sibling != nullptr ? Sibling->parent_ : nullptr, 0, S, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) { return AddChildObject(Parent, S, nullptr); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
  return InsertAt(Parent, Parent != nullptr ? Parent->Count() : static_cast<int>(roots_.size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const std::string& S) { return InsertAt(Parent, 0, S, nullptr); }

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
  if (Sibling == nullptr) return InsertAt(nullptr, static_cast<int>(roots_.size()), S, nullptr);
  return InsertAt(Sibling->parent_, Sibling->Index(), S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
  if (Node == nullptr || Node->tree_ != owner_) return;
  TCustomTreeView* view = owner_;
  TTreeNode* selected = view->selected_;
  const bool selectionGoes = selected != nullptr && (selected == Node || selected->HasAsParent(Node));
  TTreeNode* replacement = nullptr;
  if (selectionGoes) {
    // The selection moves to a neighbour the way the native control moves it.
    replacement = Node->GetNextSibling();
    if (replacement == nullptr) replacement = Node->GetPrevSibling();
    if (replacement == nullptr) replacement = Node->parent_;
    view->selected_ = nullptr;
  }
  view->NodeRemoving(Node);
  TTreeNode* parent = Node->parent_;
  auto& siblings = Node->Siblings();
  siblings.erase(siblings.begin() + Node->Index());
  if (parent != nullptr && parent->children_.empty() && !parent->has_children_) parent->expanded_ = false;
  view->ShapeChanged();
  if (replacement != nullptr && !view->destroying_) {
    view->selected_ = replacement;
    view->Change(replacement);
  }
}

void TTreeNodes::Clear() {
  BeginUpdate();
  while (!roots_.empty()) Delete(roots_.back().get());
  EndUpdate();
}

int TTreeNodes::Count() const {
  int count = 0;
  for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext()) ++count;
  return count;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  int i = 0;
  if (Index >= 0)
    for (TTreeNode* n = GetFirstNode(); n != nullptr; n = n->GetNext(), ++i)
      if (i == Index) return n;
  throw EListError(Format("List index out of bounds (%d)", Index));
}

void TTreeNodes::BeginUpdate() { ++owner_->update_count_; }

void TTreeNodes::EndUpdate() {
  if (owner_->update_count_ > 0 && --owner_->update_count_ == 0) owner_->ShapeChanged();
}

// ---- TCustomTreeView --------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TCustomControl(AOwner), items_(std::make_unique<TTreeNodes>(this)) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
}

TCustomTreeView::~TCustomTreeView() {
  // Every node is announced (OnDeletion) while the view is still whole.
  destroying_ = true;
  items_->Clear();
}

void TCustomTreeView::SetShowRoot(bool Value) {
  show_root_ = Value;
  ShapeChanged();
}
void TCustomTreeView::SetShowButtons(bool Value) {
  show_buttons_ = Value;
  Invalidate();
}
void TCustomTreeView::SetIndent(int Value) {
  indent_ = std::max(0, Value);
  ShapeChanged();
}

void TCustomTreeView::SetImages(TCustomImageList* Value) {
  ReplaceReference(images_, Value, state_images_);
  ShapeChanged();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
  ReplaceReference(state_images_, Value, images_);
  ShapeChanged();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  if (AComponent == state_images_) state_images_ = nullptr;
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Node, allow);
  return allow;
}
void TCustomTreeView::Change(TTreeNode* Node) {
  if (OnChange) OnChange(this, Node);
}
bool TCustomTreeView::CanExpand(TTreeNode* Node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, Node, allow);
  return allow;
}
void TCustomTreeView::Expand(TTreeNode* Node) {
  if (OnExpanded) OnExpanded(this, Node);
}
bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, Node, allow);
  return allow;
}
void TCustomTreeView::Collapse(TTreeNode* Node) {
  if (OnCollapsed) OnCollapsed(this, Node);
}
void TCustomTreeView::Delete(TTreeNode* Node) {
  if (OnDeletion) OnDeletion(this, Node);
}
void TCustomTreeView::GetImageIndex(TTreeNode* Node) {
  if (OnGetImageIndex) OnGetImageIndex(this, Node);
}
void TCustomTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (OnGetSelectedIndex) OnGetSelectedIndex(this, Node);
}

void TCustomTreeView::NodeRemoving(TTreeNode* Node) {
  if (editing_ == Node) EndEditing(false);
  for (auto& child : Node->children_) NodeRemoving(child.get());
  Delete(Node);
}

bool TCustomTreeView::DoExpand(TTreeNode* Node, bool Value) {
  if (Node == nullptr || Node->expanded_ == Value) return true;
  TWeak<TControl> self(this);
  if (Value) {
    if (!Node->HasChildren() || !CanExpand(Node) || !self) return false;
    if (Node->children_.empty()) {
      // Asked to be filled and still empty: the button goes.
      Node->has_children_ = false;
      ShapeChanged();
      return false;
    }
    Node->expanded_ = true;
    ShapeChanged();
    Expand(Node);
    return true;
  }
  if (!CanCollapse(Node) || !self) return false;
  Node->expanded_ = false;
  ShapeChanged();
  if (selected_ != nullptr && selected_->HasAsParent(Node)) SetSelected(Node);
  if (self) Collapse(Node);
  return true;
}

void TCustomTreeView::SetSelected(TTreeNode* Node) {
  if (Node == selected_) return;
  TWeak<TControl> self(this);
  if (!CanChange(Node) || !self) return;
  selected_ = Node;
  if (Node != nullptr) Node->MakeVisible();
  Invalidate();
  Change(Node);
}

void TCustomTreeView::FullExpand() {
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) n->Expand(true);
}

void TCustomTreeView::FullCollapse() {
  for (TTreeNode* n = items_->GetFirstNode(); n != nullptr; n = n->GetNextSibling()) n->Collapse(true);
}

void TCustomTreeView::CustomSort(const TTVCompare& Compare, std::intptr_t Data, bool Recurse) {
  auto& roots = items_->roots_;
  std::stable_sort(roots.begin(), roots.end(),
                   [&](const auto& a, const auto& b) { return Compare(a.get(), b.get(), Data) < 0; });
  if (Recurse)
    for (auto& root : roots) root->CustomSort(Compare, Data, true);
  ShapeChanged();
}

void TCustomTreeView::AlphaSort(bool Recurse) {
  CustomSort([](TTreeNode* a, TTreeNode* b, std::intptr_t) { return AnsiCompareText(a->Text(), b->Text()); }, 0,
             Recurse);
}

// ---- Rows and geometry ------------------------------------------------------------------------

const std::vector<TTreeNode*>& TCustomTreeView::Rows() const {
  if (rows_valid_) return rows_;
  rows_.clear();
  std::vector<TTreeNode*> stack;
  for (auto it = items_->roots_.rbegin(); it != items_->roots_.rend(); ++it) stack.push_back(it->get());
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    rows_.push_back(n);
    if (n->expanded_)
      for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it) stack.push_back(it->get());
  }
  rows_valid_ = true;
  return rows_;
}

int TCustomTreeView::RowOf(const TTreeNode* Node) const {
  const auto& rows = Rows();
  auto it = std::find(rows.begin(), rows.end(), Node);
  return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

int TCustomTreeView::RowHeight() const {
  int h = std::abs(Font()->Height()) + 5;
  if (images_ != nullptr) h = std::max(h, images_->Height() + 1);
  return h;
}

int TCustomTreeView::VisibleCount() const { return std::max(0, ClientHeight() / RowHeight()); }

int TCustomTreeView::NodeLeft(const TTreeNode* Node) const {
  return (Node->Level() + (show_root_ ? 1 : 0)) * indent_ - horz_pos_;
}

int TCustomTreeView::ContentWidth() const {
  TTextMeasure measure(Font());
  int width = 0;
  int images = images_ != nullptr ? images_->Width() + 1 : 0;
  for (TTreeNode* n : Rows()) {
    int state = state_images_ != nullptr && n->state_index_ >= 0 ? state_images_->Width() : 0;
    width = std::max(width, NodeLeft(n) + horz_pos_ + state + images + measure.Width(n->text_) + 2 * kLabelPadding);
  }
  return width;
}

TCustomTreeView::TScrollState TCustomTreeView::ScrollInfo(int Bar) const {
  if (Bar == SB_VERT) return {0, std::max(0, static_cast<int>(Rows().size()) - 1), VisibleCount(), top_row_};
  return {0, ContentWidth(), ClientWidth(), horz_pos_};
}

TTreeNode* TCustomTreeView::TopItem() const {
  const auto& rows = Rows();
  return top_row_ < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(top_row_)] : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* Node) {
  int row = RowOf(Node);
  if (row >= 0) ScrollTo(row, horz_pos_);
}

TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight()) return nullptr;
  int row = top_row_ + Y / RowHeight();
  const auto& rows = Rows();
  return row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)] : nullptr;
}

void TCustomTreeView::ShapeChanged() {
  rows_valid_ = false;
  if (update_count_ > 0) return;
  int rows = static_cast<int>(Rows().size());
  top_row_ = std::clamp(top_row_, 0, std::max(0, rows - std::max(1, VisibleCount())));
  UpdateScrollBars();
  Invalidate();
}

void TCustomTreeView::UpdateScrollBars() {
  if (!HandleAllocated() || in_scroll_update_ || update_count_ > 0) return;
  in_scroll_update_ = true;
  // Twice: showing or hiding one bar changes the page of the other.
  for (int pass = 0; pass < 2; ++pass) {
    int rows = static_cast<int>(Rows().size());
    top_row_ = std::clamp(top_row_, 0, std::max(0, rows - std::max(1, VisibleCount())));
    horz_pos_ = std::clamp(horz_pos_, 0, std::max(0, ContentWidth() - ClientWidth()));
    for (int bar : {SB_HORZ, SB_VERT}) SetScrollBarState(handle_, bar, ScrollInfo(bar));
  }
  in_scroll_update_ = false;
}

void TCustomTreeView::ScrollTo(int TopRow, int HorzPos) {
  int rows = static_cast<int>(Rows().size());
  TopRow = std::clamp(TopRow, 0, std::max(0, rows - std::max(1, VisibleCount())));
  HorzPos = std::clamp(HorzPos, 0, std::max(0, ContentWidth() - ClientWidth()));
  if (TopRow == top_row_ && HorzPos == horz_pos_) return;
  top_row_ = TopRow;
  horz_pos_ = HorzPos;
  UpdateScrollBars();
  Invalidate();
}

void TCustomTreeView::ScrollMessage(int Bar, int Code, int Thumb) {
  TScrollState s = ScrollInfo(Bar);
  int line = Bar == SB_VERT ? 1 : indent_;
  std::optional<int> pos = ScrollRequestPos(s, Code, Thumb, line);
  if (!pos) return;
  if (Bar == SB_VERT) ScrollTo(*pos, horz_pos_);
  else ScrollTo(top_row_, *pos);
}

void TCustomTreeView::BoundsChanged(const TRect& OldBounds) {
  TCustomControl::BoundsChanged(OldBounds);
  ShapeChanged();
}

void TCustomTreeView::CreateWnd() {
  TCustomControl::CreateWnd();
  ShapeChanged();
}

void TCustomTreeView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case TVM_GETCOUNT: Message.Result = items_->Count(); return;
    case TVM_GETVISIBLECOUNT: Message.Result = VisibleCount(); return;
    case TVM_GETIMAGELIST:
    case TVM_SETIMAGELIST: {
      // The message form of Images/StateImages.
      const bool state = Message.WParam == TVSIL_STATE;
      if (!state && Message.WParam != TVSIL_NORMAL) {
        Message.Result = 0;
        return;
      }
      TCustomImageList* old = state ? state_images_ : images_;
      Message.Result = old ? reinterpret_cast<LRESULT>(old->Handle()) : 0;
      if (Message.Msg == TVM_SETIMAGELIST) {
        TCustomImageList* list = TCustomImageList::FromHandle(reinterpret_cast<HIMAGELIST>(Message.LParam));
        if (state) {
          SetStateImages(list);
        } else {
          SetImages(list);
        }
      }
      return;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const int bar = Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
      ScrollMessage(bar, LOWORD(Message.WParam), ScrollThumbPos(handle_, bar, HIWORD(Message.WParam)));
      Message.Result = 0;
      return;
    }
    case WM_MOUSEWHEEL: {
      const TWheelScroll wheel = WheelScroll(Message.WParam);
      for (int i = 0; i < wheel.Lines; ++i) ScrollMessage(SB_VERT, wheel.Code, 0);
      Message.Result = 0;
      return;
    }
    default: break;
  }
  TCustomControl::WndProc(Message);
  if (Message.Msg == WM_SIZE) ShapeChanged();
}

// ---- Input ------------------------------------------------------------------------------------

void TCustomTreeView::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused()) SetFocus();
  TWeak<TControl> self(this);
  if (TTreeNode* node = GetNodeAt(X, Y)) {
    int left = NodeLeft(node);
    bool hasButton = show_buttons_ && node->HasChildren() && (node->parent_ != nullptr || show_root_);
    if (Button == TMouseButton::mbLeft && hasButton && X >= left - indent_ && X < left) {
      DoExpand(node, !node->expanded_);
    } else if (Button == TMouseButton::mbLeft || (Button == TMouseButton::mbRight && right_click_select_)) {
      SetSelected(node);
    }
  }
  if (self) TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTreeView::DblClick() {
  TWeak<TControl> self(this);
  if (selected_ != nullptr && selected_->HasChildren()) DoExpand(selected_, !selected_->expanded_);
  if (self) TCustomControl::DblClick();
}

bool TCustomTreeView::WantsKey(WORD Key) {
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
    default:
      return TCustomControl::WantsKey(Key);
  }
}

void TCustomTreeView::SelectRow(int Row) {
  const auto& rows = Rows();
  if (rows.empty()) return;
  Row = std::clamp(Row, 0, static_cast<int>(rows.size()) - 1);
  SetSelected(rows[static_cast<std::size_t>(Row)]);
}

void TCustomTreeView::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  int row = selected_ != nullptr ? RowOf(selected_) : -1;
  int page = std::max(1, VisibleCount() - 1);
  switch (Key) {
    case VK_UP: SelectRow(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: SelectRow(row + 1); break;
    case VK_PRIOR: SelectRow(row - page); break;
    case VK_NEXT: SelectRow(row + page); break;
    case VK_HOME: SelectRow(0); break;
    case VK_END: SelectRow(static_cast<int>(Rows().size()) - 1); break;
    case VK_F2: if (selected_ != nullptr) StartEditing(selected_); break;
    case VK_LEFT:
      if (selected_ == nullptr) break;
      if (selected_->expanded_) DoExpand(selected_, false);
      else if (selected_->parent_ != nullptr) SetSelected(selected_->parent_);
      break;
    case VK_RIGHT:
      if (selected_ == nullptr || !selected_->HasChildren()) break;
      if (!selected_->expanded_) DoExpand(selected_, true);
      else SetSelected(selected_->GetFirstChild());
      break;
    default: return;
  }
  Key = 0;
}

// ---- Label editing ----------------------------------------------------------------------------

bool TCustomTreeView::StartEditing(TTreeNode* Node) {
  if (read_only_ || Node == nullptr || !HandleAllocated()) return false;
  if (IsEditing()) EndEditing(true);
  TWeak<TControl> self(this);
  bool allow = true;
  if (OnEditing) OnEditing(this, Node, allow);
  if (!self || !allow) return false;
  Node->MakeVisible();
  if (edit_ == nullptr) edit_ = CreateInPlaceEdit(this, [this](bool Accept) { EndEditing(Accept); });
  editing_ = Node;
  TRect label = Node->DisplayRect(true);
  edit_->SetBounds(label.Left, label.Top, std::max(label.Width() + 20, 60), label.Height());
  edit_->SetText(Node->Text());
  edit_->Show();
  edit_->SetFocus();
  edit_->SelectAll();
  return true;
}

void TCustomTreeView::EndEditing(bool Accept) {
  if (!IsEditing()) return;
  TTreeNode* node = editing_;
  editing_ = nullptr;  // first: hiding the edit moves the focus, which must not end it twice
  std::string text = edit_->Text();
  edit_->Hide();
  if (CanFocus() && !destroying_) SetFocus();
  if (destroying_) return;
  Edit(node, Accept ? &text : nullptr);
}

void TCustomTreeView::Edit(TTreeNode* Node, const std::string* Text) {
  if (Text == nullptr) return;
  std::string text = *Text;
  TWeak<TControl> self(this);
  if (OnEdited) OnEdited(this, Node, text);
  if (self && RowOf(Node) >= 0) Node->SetText(text);
}

// ---- Painting ---------------------------------------------------------------------------------

void TCustomTreeView::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(ClientRect());
  const auto rows = Rows();  // a copy: image queries may change the tree
  const int rh = RowHeight();
  TTextMeasure measure(Font());
  for (int r = top_row_; r < static_cast<int>(rows.size()) && (r - top_row_) * rh < ClientHeight(); ++r) {
    TTreeNode* node = rows[static_cast<std::size_t>(r)];
    const int y = (r - top_row_) * rh;
    int x = NodeLeft(node);
    if (show_buttons_ && node->HasChildren() && (node->parent_ != nullptr || show_root_)) {
      const int cx = x - indent_ / 2, cy = y + rh / 2;
      canvas->Brush()->SetColor(Color());
      canvas->Pen()->SetColor(clBtnShadow);
      canvas->Rectangle(cx - 4, cy - 4, cx + 5, cy + 5);
      canvas->Pen()->SetColor(clWindowText);
      canvas->MoveTo(cx - 2, cy);
      canvas->LineTo(cx + 3, cy);
      if (!node->expanded_) {
        canvas->MoveTo(cx, cy - 2);
        canvas->LineTo(cx, cy + 3);
      }
    }
    if (state_images_ != nullptr && node->state_index_ >= 0) {
      state_images_->Draw(canvas, x, y + (rh - state_images_->Height()) / 2, node->state_index_);
      x += state_images_->Width();
    }
    if (images_ != nullptr) {
      const bool sel = node == selected_;
      if (sel) GetSelectedIndex(node);
      else GetImageIndex(node);
      int index = sel ? node->selected_index_ : node->image_index_;
      if (index >= 0) images_->Draw(canvas, x, y + (rh - images_->Height()) / 2, index);
      x += images_->Width() + 1;
    }
    TRect label{x, y, x + measure.Width(node->text_) + 2 * kLabelPadding, y + rh};
    HDC dc = canvas->Handle();
    if (node == selected_) {
      canvas->Brush()->SetColor(Focused() ? clHighlight : clBtnFace);
      canvas->FillRect(label);
    }
    SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(node == selected_ && Focused() ? clHighlightText : Font()->Color()));
    TRect text{label.Left + kLabelPadding, label.Top, label.Right, label.Bottom};
    DrawText(dc, node->text_, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (node == selected_ && Focused()) canvas->DrawFocusRect(label);
  }
}
