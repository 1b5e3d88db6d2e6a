// JdkNames: the simple class names of the JDK packages that Java code most
// often imports on demand, so that a name such as List under "import
// java.util.*;" is known as the JDK's and not taken for a vendor's.
// Listed from OpenJDK 17's module image by scripts/jdk-names.sh.
#include "names/JdkNames.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace host {

namespace {

struct PackageNames {
    const char* package;
    const char* names;  // separated by blanks
};

const PackageNames kPackages[] = {
    {"java.beans",
     "AppletInitializer BeanDescriptor BeanInfo BeanProperty Beans BeansAppletContext "
     "BeansAppletStub ChangeListenerMap ConstructorProperties Customizer "
     "DefaultPersistenceDelegate DesignMode Encoder EventHandler EventSetDescriptor "
     "ExceptionListener Expression FeatureDescriptor GenericBeanInfo IndexedPropertyChangeEvent "
     "IndexedPropertyDescriptor IntrospectionException Introspector JavaBean MetaData "
     "MethodDescriptor MethodRef NameGenerator ObjectInputStreamWithLoader ParameterDescriptor "
     "PersistenceDelegate PropertyChangeEvent PropertyChangeListener "
     "PropertyChangeListenerProxy PropertyChangeSupport PropertyDescriptor PropertyEditor "
     "PropertyEditorManager PropertyEditorSupport PropertyVetoException SimpleBeanInfo "
     "Statement ThreadGroupContext Transient VetoableChangeListener VetoableChangeListenerProxy "
     "VetoableChangeSupport Visibility WeakIdentityMap XMLDecoder XMLEncoder"},
    {"java.io",
     "Bits BufferedInputStream BufferedOutputStream BufferedReader BufferedWriter "
     "ByteArrayInputStream ByteArrayOutputStream CharArrayReader CharArrayWriter "
     "CharConversionException ClassCache Closeable Console DataInput DataInputStream DataOutput "
     "DataOutputStream DefaultFileSystem DeleteOnExitHook EOFException ExpiringCache "
     "Externalizable File FileCleanable FileDescriptor FileFilter FileInputStream "
     "FileNotFoundException FileOutputStream FilePermission FilePermissionCollection FileReader "
     "FileSystem FileWriter FilenameFilter FilterInputStream FilterOutputStream FilterReader "
     "FilterWriter Flushable IOError IOException InputStream InputStreamReader "
     "InterruptedIOException InvalidClassException InvalidObjectException LineNumberInputStream "
     "LineNumberReader NotActiveException NotSerializableException ObjectInput "
     "ObjectInputFilter ObjectInputStream ObjectInputValidation ObjectOutput ObjectOutputStream "
     "ObjectStreamClass ObjectStreamConstants ObjectStreamException ObjectStreamField "
     "OptionalDataException OutputStream OutputStreamWriter PipedInputStream PipedOutputStream "
     "PipedReader PipedWriter PrintStream PrintWriter PushbackInputStream PushbackReader "
     "RandomAccessFile Reader SequenceInputStream Serial SerialCallbackContext Serializable "
     "SerializablePermission StreamCorruptedException StreamTokenizer StringBufferInputStream "
     "StringReader StringWriter SyncFailedException UTFDataFormatException UncheckedIOException "
     "UnixFileSystem UnsupportedEncodingException WriteAbortedException Writer"},
    {"java.lang",
     "AbstractMethodError AbstractStringBuilder Appendable ApplicationShutdownHooks "
     "ArithmeticException ArrayIndexOutOfBoundsException ArrayStoreException AssertionError "
     "AssertionStatusDirectives AutoCloseable Boolean BootstrapMethodError Byte CharSequence "
     "Character CharacterData CharacterData00 CharacterData01 CharacterData02 CharacterData03 "
     "CharacterData0E CharacterDataLatin1 CharacterDataPrivateUse CharacterDataUndefined "
     "CharacterName Class ClassCastException ClassCircularityError ClassFormatError ClassLoader "
     "ClassNotFoundException ClassValue CloneNotSupportedException Cloneable Comparable "
     "Compiler CompoundEnumeration ConditionalSpecialCasing Deprecated Double Enum "
     "EnumConstantNotPresentException Error Exception ExceptionInInitializerError FdLibm Float "
     "FunctionalInterface IllegalAccessError IllegalAccessException IllegalArgumentException "
     "IllegalCallerException IllegalMonitorStateException IllegalStateException "
     "IllegalThreadStateException IncompatibleClassChangeError IndexOutOfBoundsException "
     "InheritableThreadLocal InstantiationError InstantiationException Integer InternalError "
     "InterruptedException Iterable LayerInstantiationException LinkageError LiveStackFrame "
     "LiveStackFrameInfo Long Math Module ModuleLayer NamedPackage NegativeArraySizeException "
     "NoClassDefFoundError NoSuchFieldError NoSuchFieldException NoSuchMethodError "
     "NoSuchMethodException NullPointerException Number NumberFormatException Object "
     "OutOfMemoryError Override Package Process ProcessBuilder ProcessEnvironment ProcessHandle "
     "ProcessHandleImpl ProcessImpl PublicMethods Readable Record ReflectiveOperationException "
     "Runnable Runtime RuntimeException RuntimePermission SafeVarargs SecurityException "
     "SecurityManager Short Shutdown StackFrameInfo StackOverflowError StackStreamFactory "
     "StackTraceElement StackWalker StrictMath String StringBuffer StringBuilder StringCoding "
     "StringConcatHelper StringIndexOutOfBoundsException StringLatin1 StringUTF16 "
     "SuppressWarnings System Terminator Thread ThreadDeath ThreadGroup ThreadLocal Throwable "
     "TypeNotPresentException UnknownError UnsatisfiedLinkError UnsupportedClassVersionError "
     "UnsupportedOperationException VerifyError VersionProps VirtualMachineError Void "
     "WeakPairMap"},
    {"java.lang.annotation",
     "Annotation AnnotationFormatError AnnotationTypeMismatchException Documented ElementType "
     "IncompleteAnnotationException Inherited Native Repeatable Retention RetentionPolicy "
     "Target"},
    {"java.lang.reflect",
     "AccessibleObject AnnotatedArrayType AnnotatedElement AnnotatedParameterizedType "
     "AnnotatedType AnnotatedTypeVariable AnnotatedWildcardType Array Constructor Executable "
     "Field GenericArrayType GenericDeclaration GenericSignatureFormatError "
     "InaccessibleObjectException InvocationHandler InvocationTargetException "
     "MalformedParameterizedTypeException MalformedParametersException Member Method Modifier "
     "Parameter ParameterizedType Proxy ProxyGenerator RecordComponent ReflectAccess "
     "ReflectPermission Type TypeVariable UndeclaredThrowableException WildcardType"},
    {"java.math",
     "BigDecimal BigInteger BitSieve MathContext MutableBigInteger RoundingMode "
     "SignedMutableBigInteger"},
    {"java.net",
     "AbstractPlainDatagramSocketImpl AbstractPlainSocketImpl Authenticator BindException "
     "CacheRequest CacheResponse ConnectException ContentHandler ContentHandlerFactory "
     "CookieHandler CookieManager CookiePolicy CookieStore DatagramPacket DatagramSocket "
     "DatagramSocketImpl DatagramSocketImplFactory DefaultDatagramSocketImplFactory "
     "DefaultInterface DelegatingSocketImpl FactoryURLClassLoader FileNameMap HostPortrange "
     "HttpConnectSocketImpl HttpCookie HttpRetryException HttpURLConnection IDN "
     "InMemoryCookieStore Inet4Address Inet4AddressImpl Inet6Address Inet6AddressImpl "
     "InetAddress InetAddressContainer InetAddressImpl InetAddressImplFactory InetSocketAddress "
     "InterfaceAddress JarURLConnection MalformedURLException MulticastSocket "
     "NetMulticastSocket NetPermission NetworkInterface NoRouteToHostException "
     "PasswordAuthentication PlainDatagramSocketImpl PlainSocketImpl PortUnreachableException "
     "ProtocolException ProtocolFamily Proxy ProxySelector ResponseCache SecureCacheResponse "
     "ServerSocket Socket SocketAddress SocketCleanable SocketException SocketImpl "
     "SocketImplFactory SocketInputStream SocketOption SocketOptions SocketOutputStream "
     "SocketPermission SocketPermissionCollection SocketTimeoutException SocksConsts "
     "SocksSocketImpl StandardProtocolFamily StandardSocketOptions URI URISyntaxException URL "
     "URLClassLoader URLConnection URLDecoder URLEncoder URLPermission URLStreamHandler "
     "URLStreamHandlerFactory UnixDomainSocketAddress UnknownContentHandler "
     "UnknownHostException UnknownServiceException UrlDeserializedState"},
    {"java.nio",
     "Bits Buffer BufferMismatch BufferOverflowException BufferUnderflowException ByteBuffer "
     "ByteBufferAsCharBufferB ByteBufferAsCharBufferL ByteBufferAsCharBufferRB "
     "ByteBufferAsCharBufferRL ByteBufferAsDoubleBufferB ByteBufferAsDoubleBufferL "
     "ByteBufferAsDoubleBufferRB ByteBufferAsDoubleBufferRL ByteBufferAsFloatBufferB "
     "ByteBufferAsFloatBufferL ByteBufferAsFloatBufferRB ByteBufferAsFloatBufferRL "
     "ByteBufferAsIntBufferB ByteBufferAsIntBufferL ByteBufferAsIntBufferRB "
     "ByteBufferAsIntBufferRL ByteBufferAsLongBufferB ByteBufferAsLongBufferL "
     "ByteBufferAsLongBufferRB ByteBufferAsLongBufferRL ByteBufferAsShortBufferB "
     "ByteBufferAsShortBufferL ByteBufferAsShortBufferRB ByteBufferAsShortBufferRL ByteOrder "
     "CharBuffer CharBufferSpliterator DirectByteBuffer DirectByteBufferR DirectCharBufferRS "
     "DirectCharBufferRU DirectCharBufferS DirectCharBufferU DirectDoubleBufferRS "
     "DirectDoubleBufferRU DirectDoubleBufferS DirectDoubleBufferU DirectFloatBufferRS "
     "DirectFloatBufferRU DirectFloatBufferS DirectFloatBufferU DirectIntBufferRS "
     "DirectIntBufferRU DirectIntBufferS DirectIntBufferU DirectLongBufferRS DirectLongBufferRU "
     "DirectLongBufferS DirectLongBufferU DirectShortBufferRS DirectShortBufferRU "
     "DirectShortBufferS DirectShortBufferU DoubleBuffer FloatBuffer HeapByteBuffer "
     "HeapByteBufferR HeapCharBuffer HeapCharBufferR HeapDoubleBuffer HeapDoubleBufferR "
     "HeapFloatBuffer HeapFloatBufferR HeapIntBuffer HeapIntBufferR HeapLongBuffer "
     "HeapLongBufferR HeapShortBuffer HeapShortBufferR IntBuffer InvalidMarkException "
     "LongBuffer MappedByteBuffer MappedMemoryUtils ReadOnlyBufferException ShortBuffer "
     "StringCharBuffer"},
    {"java.nio.charset",
     "CharacterCodingException Charset CharsetDecoder CharsetEncoder CoderMalfunctionError "
     "CoderResult CodingErrorAction IllegalCharsetNameException MalformedInputException "
     "StandardCharsets UnmappableCharacterException UnsupportedCharsetException"},
    {"java.nio.file",
     "AccessDeniedException AccessMode AtomicMoveNotSupportedException "
     "ClosedDirectoryStreamException ClosedFileSystemException ClosedWatchServiceException "
     "CopyMoveHelper CopyOption DirectoryIteratorException DirectoryNotEmptyException "
     "DirectoryStream FileAlreadyExistsException FileChannelLinesSpliterator FileStore "
     "FileSystem FileSystemAlreadyExistsException FileSystemException FileSystemLoopException "
     "FileSystemNotFoundException FileSystems FileTreeIterator FileTreeWalker FileVisitOption "
     "FileVisitResult FileVisitor Files InvalidPathException LinkOption LinkPermission "
     "NoSuchFileException NotDirectoryException NotLinkException OpenOption Path PathMatcher "
     "Paths ProviderMismatchException ProviderNotFoundException ReadOnlyFileSystemException "
     "SecureDirectoryStream SimpleFileVisitor StandardCopyOption StandardOpenOption "
     "StandardWatchEventKinds TempFileHelper WatchEvent WatchKey WatchService Watchable"},
    {"java.security",
     "AccessControlContext AccessControlException AccessController AlgorithmConstraints "
     "AlgorithmParameterGenerator AlgorithmParameterGeneratorSpi AlgorithmParameters "
     "AlgorithmParametersSpi AllPermission AllPermissionCollection AuthProvider BasicPermission "
     "BasicPermissionCollection Certificate CodeSigner CodeSource CryptoPrimitive "
     "DigestException DigestInputStream DigestOutputStream DomainCombiner "
     "DomainLoadStoreParameter DrbgParameters GeneralSecurityException Guard GuardedObject "
     "Identity IdentityScope InvalidAlgorithmParameterException InvalidKeyException "
     "InvalidParameterException Key KeyException KeyFactory KeyFactorySpi "
     "KeyManagementException KeyPair KeyPairGenerator KeyPairGeneratorSpi KeyRep KeyStore "
     "KeyStoreException KeyStoreSpi MessageDigest MessageDigestSpi NoSuchAlgorithmException "
     "NoSuchProviderException PKCS12Attribute Permission PermissionCollection Permissions "
     "PermissionsEnumerator PermissionsHash Policy PolicySpi Principal PrivateKey "
     "PrivilegedAction PrivilegedActionException PrivilegedExceptionAction ProtectionDomain "
     "Provider ProviderException PublicKey SecureClassLoader SecureRandom "
     "SecureRandomParameters SecureRandomSpi Security SecurityPermission Signature "
     "SignatureException SignatureSpi SignedObject Signer Timestamp URIParameter "
     "UnrecoverableEntryException UnrecoverableKeyException UnresolvedPermission "
     "UnresolvedPermissionCollection"},
    {"java.sql",
     "Array BatchUpdateException Blob CallableStatement ClientInfoStatus Clob Connection "
     "ConnectionBuilder DataTruncation DatabaseMetaData Date Driver DriverAction DriverInfo "
     "DriverManager DriverPropertyInfo JDBCType NClob ParameterMetaData PreparedStatement "
     "PseudoColumnUsage Ref ResultSet ResultSetMetaData RowId RowIdLifetime "
     "SQLClientInfoException SQLData SQLDataException SQLException "
     "SQLFeatureNotSupportedException SQLInput SQLIntegrityConstraintViolationException "
     "SQLInvalidAuthorizationSpecException SQLNonTransientConnectionException "
     "SQLNonTransientException SQLOutput SQLPermission SQLRecoverableException "
     "SQLSyntaxErrorException SQLTimeoutException SQLTransactionRollbackException "
     "SQLTransientConnectionException SQLTransientException SQLType SQLWarning SQLXML Savepoint "
     "ShardingKey ShardingKeyBuilder Statement Struct Time Timestamp Types Wrapper"},
    {"java.text",
     "Annotation AttributeEntry AttributedCharacterIterator AttributedString Bidi BreakIterator "
     "CalendarBuilder CharacterIterator CharacterIteratorFieldDelegate ChoiceFormat "
     "CollationElementIterator CollationKey Collator CompactNumberFormat DateFormat "
     "DateFormatSymbols DecimalFormat DecimalFormatSymbols DigitList DontCareFieldPosition "
     "EntryPair FieldPosition Format MergeCollation MessageFormat Normalizer NumberFormat "
     "ParseException ParsePosition PatternEntry RBCollationTables RBTableBuilder "
     "RuleBasedCollationKey RuleBasedCollator SimpleDateFormat StringCharacterIterator"},
    {"java.time",
     "Clock DateTimeException DayOfWeek Duration Instant InstantSource LocalDate LocalDateTime "
     "LocalTime Month MonthDay OffsetDateTime OffsetTime Period Ser Year YearMonth ZoneId "
     "ZoneOffset ZoneRegion ZonedDateTime"},
    {"java.time.format",
     "DateTimeFormatter DateTimeFormatterBuilder DateTimeParseContext DateTimeParseException "
     "DateTimePrintContext DateTimeTextProvider DecimalStyle FormatStyle Parsed ResolverStyle "
     "SignStyle TextStyle ZoneName"},
    {"java.util",
     "AbstractCollection AbstractList AbstractMap AbstractQueue AbstractSequentialList "
     "AbstractSet ArrayDeque ArrayList ArrayPrefixHelpers Arrays ArraysParallelSortHelpers "
     "Base64 BitSet Calendar CollSer Collection Collections ComparableTimSort Comparator "
     "Comparators ConcurrentModificationException Currency Date Deque Dictionary "
     "DoubleSummaryStatistics DualPivotQuicksort DuplicateFormatFlagsException "
     "EmptyStackException EnumMap EnumSet Enumeration EventListener EventListenerProxy "
     "EventObject FormatFlagsConversionMismatchException Formattable FormattableFlags Formatter "
     "FormatterClosedException GregorianCalendar HashMap HashSet Hashtable HexFormat "
     "IdentityHashMap IllegalFormatArgumentIndexException IllegalFormatCodePointException "
     "IllegalFormatConversionException IllegalFormatException IllegalFormatFlagsException "
     "IllegalFormatPrecisionException IllegalFormatWidthException IllformedLocaleException "
     "ImmutableCollections InputMismatchException IntSummaryStatistics "
     "InvalidPropertiesFormatException Iterator JapaneseImperialCalendar JumboEnumSet "
     "KeyValueHolder LinkedHashMap LinkedHashSet LinkedList List ListIterator "
     "ListResourceBundle Locale LocaleISOData LongSummaryStatistics Map "
     "MissingFormatArgumentException MissingFormatWidthException MissingResourceException "
     "NavigableMap NavigableSet NoSuchElementException Objects Observable Observer Optional "
     "OptionalDouble OptionalInt OptionalLong PrimitiveIterator PriorityQueue Properties "
     "PropertyPermission PropertyPermissionCollection PropertyResourceBundle Queue Random "
     "RandomAccess RegularEnumSet ResourceBundle Scanner ServiceConfigurationError "
     "ServiceLoader Set SimpleTimeZone SortedMap SortedSet Spliterator Spliterators "
     "SplittableRandom Stack StringJoiner StringTokenizer TaskQueue TimSort TimeZone Timer "
     "TimerTask TimerThread TooManyListenersException TreeMap TreeSet Tripwire UUID "
     "UnknownFormatConversionException UnknownFormatFlagsException Vector WeakHashMap"},
    {"java.util.concurrent",
     "AbstractExecutorService ArrayBlockingQueue BlockingDeque BlockingQueue "
     "BrokenBarrierException Callable CancellationException CompletableFuture "
     "CompletionException CompletionService CompletionStage ConcurrentHashMap "
     "ConcurrentLinkedDeque ConcurrentLinkedQueue ConcurrentMap ConcurrentNavigableMap "
     "ConcurrentSkipListMap ConcurrentSkipListSet CopyOnWriteArrayList CopyOnWriteArraySet "
     "CountDownLatch CountedCompleter CyclicBarrier DelayQueue Delayed Exchanger "
     "ExecutionException Executor ExecutorCompletionService ExecutorService Executors Flow "
     "ForkJoinPool ForkJoinTask ForkJoinWorkerThread Future FutureTask Helpers "
     "LinkedBlockingDeque LinkedBlockingQueue LinkedTransferQueue Phaser PriorityBlockingQueue "
     "RecursiveAction RecursiveTask RejectedExecutionException RejectedExecutionHandler "
     "RunnableFuture RunnableScheduledFuture ScheduledExecutorService ScheduledFuture "
     "ScheduledThreadPoolExecutor Semaphore SubmissionPublisher SynchronousQueue ThreadFactory "
     "ThreadLocalRandom ThreadPoolExecutor TimeUnit TimeoutException TransferQueue"},
    {"java.util.concurrent.atomic",
     "AtomicBoolean AtomicInteger AtomicIntegerArray AtomicIntegerFieldUpdater AtomicLong "
     "AtomicLongArray AtomicLongFieldUpdater AtomicMarkableReference AtomicReference "
     "AtomicReferenceArray AtomicReferenceFieldUpdater AtomicStampedReference DoubleAccumulator "
     "DoubleAdder LongAccumulator LongAdder Striped64"},
    {"java.util.function",
     "BiConsumer BiFunction BiPredicate BinaryOperator BooleanSupplier Consumer "
     "DoubleBinaryOperator DoubleConsumer DoubleFunction DoublePredicate DoubleSupplier "
     "DoubleToIntFunction DoubleToLongFunction DoubleUnaryOperator Function IntBinaryOperator "
     "IntConsumer IntFunction IntPredicate IntSupplier IntToDoubleFunction IntToLongFunction "
     "IntUnaryOperator LongBinaryOperator LongConsumer LongFunction LongPredicate LongSupplier "
     "LongToDoubleFunction LongToIntFunction LongUnaryOperator ObjDoubleConsumer ObjIntConsumer "
     "ObjLongConsumer Predicate Supplier ToDoubleBiFunction ToDoubleFunction ToIntBiFunction "
     "ToIntFunction ToLongBiFunction ToLongFunction UnaryOperator"},
    {"java.util.logging",
     "ConsoleHandler ErrorManager FileHandler Filter Formatter Handler Level LogManager "
     "LogRecord Logger Logging LoggingMXBean LoggingPermission MemoryHandler SimpleFormatter "
     "SocketHandler StreamHandler XMLFormatter"},
    {"java.util.regex",
     "ASCII CharPredicates EmojiData Grapheme IntHashSet MatchResult Matcher Pattern "
     "PatternSyntaxException PrintPattern"},
    {"java.util.stream",
     "AbstractPipeline AbstractShortCircuitTask AbstractSpinedBuffer AbstractTask BaseStream "
     "Collector Collectors DistinctOps DoublePipeline DoubleStream FindOps ForEachOps "
     "IntPipeline IntStream LongPipeline LongStream MatchOps Node Nodes PipelineHelper "
     "ReduceOps ReferencePipeline Sink SliceOps SortedOps SpinedBuffer Stream StreamOpFlag "
     "StreamShape StreamSpliterators StreamSupport Streams TerminalOp TerminalSink Tripwire "
     "WhileOps"},
    {"javax.naming",
     "AuthenticationException AuthenticationNotSupportedException BinaryRefAddr Binding "
     "CannotProceedException CommunicationException CompositeName CompoundName "
     "ConfigurationException Context ContextNotEmptyException InitialContext "
     "InsufficientResourcesException InterruptedNamingException InvalidNameException "
     "LimitExceededException LinkException LinkLoopException LinkRef MalformedLinkException "
     "Name NameAlreadyBoundException NameClassPair NameImpl NameImplEnumerator "
     "NameNotFoundException NameParser NamingEnumeration NamingException "
     "NamingSecurityException NoInitialContextException NoPermissionException "
     "NotContextException OperationNotSupportedException PartialResultException RefAddr "
     "Reference Referenceable ReferralException ServiceUnavailableException "
     "SizeLimitExceededException StringRefAddr TimeLimitExceededException"},
    {"javax.sql",
     "CommonDataSource ConnectionEvent ConnectionEventListener ConnectionPoolDataSource "
     "DataSource PooledConnection PooledConnectionBuilder RowSet RowSetEvent RowSetInternal "
     "RowSetListener RowSetMetaData RowSetReader RowSetWriter StatementEvent "
     "StatementEventListener XAConnection XAConnectionBuilder XADataSource"},
};

const std::map<std::string, std::map<std::string, bool>>& table() {
    static const std::map<std::string, std::map<std::string, bool>> names = [] {
        std::map<std::string, std::map<std::string, bool>> result;
        for (const PackageNames& entry : kPackages) {
            std::istringstream words(entry.names);
            std::string word;
            while (words >> word) result[entry.package][word] = true;
        }
        return result;
    }();
    return names;
}

}  // namespace

bool containsPackage(const std::string& text, const std::string& keyword) {
    if (keyword.empty()) return false;
    for (size_t found = text.find(keyword); found != std::string::npos;
         found = text.find(keyword, found + 1)) {
        bool before = found == 0 || text[found - 1] == '.';
        size_t end = found + keyword.size();
        bool after = end == text.size() || text[end] == '.';
        if (before && after) return true;
    }
    return false;
}

bool containsAnyPackage(const std::string& text, const std::vector<std::string>& keywords) {
    return std::any_of(keywords.begin(), keywords.end(),
                       [&](const std::string& keyword) { return containsPackage(text, keyword); });
}

bool isJdkPackage(const std::string& package) {
    return table().count(package) != 0 || package.rfind("java.", 0) == 0 ||
           package.rfind("javax.", 0) == 0;
}

std::string jdkPackageOf(const std::string& simple, const std::vector<std::string>& packages) {
    for (const std::string& package : packages) {
        auto found = table().find(package);
        if (found != table().end() && found->second.count(simple) != 0) return package;
    }
    return std::string();
}

bool jdkNameHolds(const std::string& keyword) {
    for (const auto& package : table()) {
        if (containsPackage(package.first, keyword)) return true;
        for (const auto& name : package.second) {
            if (containsPackage(package.first + "." + name.first, keyword)) return true;
        }
    }
    return false;
}

}  // namespace host
